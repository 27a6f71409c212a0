# Zips STAGE/index.html into ZIP with every time set to SOURCE_DATE_EPOCH (from the environment, else
# the last commit's time in SOURCE_DIR), then writes SHA256SUMS beside the zip.
set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(epoch STREQUAL "")
  execute_process(COMMAND git -C "${SOURCE_DIR}" log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE git_result)
  if(NOT git_result EQUAL 0 OR epoch STREQUAL "")
    message(FATAL_ERROR "no SOURCE_DATE_EPOCH and no commit time in ${SOURCE_DIR}")
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is not a number of seconds: ${epoch}")
endif()
# tar takes a date, not a count of seconds; zip keeps local times, so the zone is fixed too.
set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
string(TIMESTAMP mtime "%Y-%m-%d %H:%M:%S UTC" UTC)
get_filename_component(dist "${ZIP}" DIRECTORY)
get_filename_component(zip_name "${ZIP}" NAME)
file(MAKE_DIRECTORY "${dist}")
file(REMOVE "${ZIP}" "${ZIP}.part")
execute_process(COMMAND "${CMAKE_COMMAND}" -E env TZ=UTC
    "${CMAKE_COMMAND}" -E tar cf "${ZIP}.part" --format=zip "--mtime=${mtime}" index.html
  WORKING_DIRECTORY "${STAGE}" RESULT_VARIABLE tar_result)
if(NOT tar_result EQUAL 0)
  file(REMOVE "${ZIP}.part")
  message(FATAL_ERROR "could not write ${ZIP}")
endif()
file(RENAME "${ZIP}.part" "${ZIP}")
file(SHA256 "${ZIP}" hash)
file(WRITE "${dist}/SHA256SUMS" "${hash}  ${zip_name}\n")
