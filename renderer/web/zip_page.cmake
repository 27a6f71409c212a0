# Zips STAGE/index.html into ZIP, its time set to SOURCE_DATE_EPOCH (from the environment, else
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
# Info-ZIP's zip without extra fields (-X) stores only the file's modification time, in the local time
# of the zone it runs in: the copy that goes in gets the fixed time, and the zone is fixed too.
find_program(ZIP_PROGRAM zip REQUIRED)
find_program(TOUCH_PROGRAM touch REQUIRED)
get_filename_component(dist "${ZIP}" DIRECTORY)
get_filename_component(zip_name "${ZIP}" NAME)
set(stamped "${STAGE}-stamped")
file(REMOVE_RECURSE "${stamped}")
file(MAKE_DIRECTORY "${stamped}")
file(COPY "${STAGE}/index.html" DESTINATION "${stamped}"
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(REMOVE "${ZIP}" "${ZIP}.part")
execute_process(COMMAND "${TOUCH_PROGRAM}" -d "@${epoch}" index.html
  COMMAND_ERROR_IS_FATAL ANY WORKING_DIRECTORY "${stamped}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E env TZ=UTC "${ZIP_PROGRAM}" -q -X -9 "${ZIP}.part" index.html
  WORKING_DIRECTORY "${stamped}" RESULT_VARIABLE zip_result)
file(REMOVE_RECURSE "${stamped}")
if(NOT zip_result EQUAL 0)
  file(REMOVE "${ZIP}.part")
  message(FATAL_ERROR "could not write ${ZIP}")
endif()
file(RENAME "${ZIP}.part" "${ZIP}")
file(SHA256 "${ZIP}" hash)
file(WRITE "${dist}/SHA256SUMS" "${hash}  ${zip_name}\n")
