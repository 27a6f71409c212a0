# Run by cpack after each generator has packed, before it copies the file into dist/.
#
# The tarball: CPack packs the files in the order the file system lists them, which differs between
# two build folders. It is packed again from the same work folder with GNU tar, sorted by name, one
# time for every entry, owner root, no time in the gzip header: the same commit, the same bytes.
if(CPACK_GENERATOR STREQUAL "TGZ")
  list(GET CPACK_PACKAGE_FILES 0 tarball)
  execute_process(
    COMMAND tar --create --format=gnu --sort=name --mtime=@${VANTOREL_SOURCE_DATE_EPOCH}
      --owner=0 --group=0 --numeric-owner --mode=u+rw,go+r,go-w
      --directory=${CPACK_TEMPORARY_DIRECTORY} ${VANTOREL_TARBALL_FOLDER}
    COMMAND gzip -9n
    OUTPUT_FILE ${tarball}.sorted
    RESULTS_VARIABLE status)
  if(NOT status STREQUAL "0;0")
    message(FATAL_ERROR "packing ${tarball} again failed: ${status}")
  endif()
  file(RENAME ${tarball}.sorted ${tarball})
endif()

# SHA256SUMS in dist/ for the release files: the one just made from where cpack left it, the
# others from dist/.
set(paths "")
foreach(release IN LISTS VANTOREL_RELEASE_FILES)
  get_filename_component(name ${release} NAME)
  set(path ${release})
  foreach(made IN LISTS CPACK_PACKAGE_FILES)
    get_filename_component(made_name ${made} NAME)
    if(made_name STREQUAL name)
      set(path ${made})
    endif()
  endforeach()
  if(EXISTS ${path})
    list(APPEND paths ${path})
  endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -DOUT=${VANTOREL_DIST_DIR}/SHA256SUMS "-DFILES=${paths}"
  -P ${VANTOREL_SHA256SUMS_SCRIPT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "writing SHA256SUMS failed")
endif()
