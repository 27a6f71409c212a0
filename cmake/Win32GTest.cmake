# GoogleTest for the Win32 test programs, built from the sources Debian's googletest package installs.
set(VANTOREL_GTEST_SRC /usr/src/googletest/googletest)
add_library(gtest_win32 STATIC ${VANTOREL_GTEST_SRC}/src/gtest-all.cc)
target_include_directories(gtest_win32 SYSTEM PUBLIC ${VANTOREL_GTEST_SRC}/include PRIVATE ${VANTOREL_GTEST_SRC})
add_library(gtest_main_win32 STATIC ${VANTOREL_GTEST_SRC}/src/gtest_main.cc)
target_link_libraries(gtest_main_win32 PUBLIC gtest_win32)
