# Run by cpack after installing into its work folder, before it packs: the tarball gets the README
# for other distributions beside usr/.
if(CPACK_GENERATOR STREQUAL "TGZ")
  file(COPY_FILE ${VANTOREL_TARBALL_README}
    ${CPACK_TEMPORARY_DIRECTORY}/${VANTOREL_TARBALL_FOLDER}/README)
endif()
