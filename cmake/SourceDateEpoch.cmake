# The one time stamp of a release: SOURCE_DATE_EPOCH when set, else the time of the commit being
# built. Every time inside a release file (archive entries, installed files' times) is this one, so
# the same commit gives the same bytes whenever and wherever it is built.
#
# vantorel_source_date_epoch(<var> <source dir>) sets <var> to the seconds since 1970, and
# ENV{SOURCE_DATE_EPOCH} with it (CMake's own archives and string(TIMESTAMP) read that variable).
function(vantorel_source_date_epoch var source_dir)
  if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
  else()
    execute_process(COMMAND git -C "${source_dir}" log -1 --format=%ct
      OUTPUT_VARIABLE epoch RESULT_VARIABLE status ERROR_VARIABLE error
      OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT status EQUAL 0 OR epoch STREQUAL "")
      message(FATAL_ERROR "The release needs a time: set SOURCE_DATE_EPOCH (seconds since 1970), "
        "or build from a git checkout, whose last commit's time is the default. git said: ${error}")
    endif()
  endif()
  if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH is '${epoch}', not a count of seconds since 1970")
  endif()
  set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
  set(${var} "${epoch}" PARENT_SCOPE)
endfunction()

# As a script: writes the time into FILE, only when it changed (so that what depends on it is made
# again exactly when the commit changes).  cmake -DSOURCE_DIR=... -DFILE=... -P SourceDateEpoch.cmake
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  vantorel_source_date_epoch(epoch "${SOURCE_DIR}")
  file(WRITE "${FILE}.new" "${epoch}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${FILE}.new" "${FILE}")
  file(REMOVE "${FILE}.new")
endif()
