# Copies the files of the Windows release into one folder with the release's time and fixed modes,
# and packs the zip from there. makensis stores each file's time in the installer and zip stores it
# in the archive: with the time of the commit instead of the build's, the same commit gives the same
# bytes.
#   cmake -DSOURCE_DIR=... -DSTAGE=... "-DFILES=a;b" [-DZIP=out.zip] -P StageRelease.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/SourceDateEpoch.cmake)
vantorel_source_date_epoch(epoch "${SOURCE_DIR}")

file(MAKE_DIRECTORY "${STAGE}")
set(names "")
foreach(path IN LISTS FILES)
  get_filename_component(name "${path}" NAME)
  if(NOT path STREQUAL "${STAGE}/${name}")
    file(COPY_FILE "${path}" "${STAGE}/${name}")
  endif()
  file(CHMOD "${STAGE}/${name}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  execute_process(COMMAND touch -d "@${epoch}" "${STAGE}/${name}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot set the time of ${STAGE}/${name}")
  endif()
  list(APPEND names "${name}")
endforeach()

if(ZIP)
  # Info-ZIP without its extra fields (they hold the access and change times and the owner); the
  # DOS times it stores are local times, so in UTC.
  file(REMOVE "${ZIP}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC zip -X -9 -q "${ZIP}" ${names}
    WORKING_DIRECTORY "${STAGE}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "zip failed: ${status}")
  endif()
endif()
