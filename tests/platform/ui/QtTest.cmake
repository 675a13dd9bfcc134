# kdz_add_qt_test(<name> SOURCES <files...> LIBS <libs...> [LABEL <label>] [MAIN <file>]
#                 [PLATFORM <qpa platform>] [TIMEOUT <s>])
# A GoogleTest executable of widget tests. Unless MAIN names another, it uses the main of
# QtTestMain.cpp, which creates the QApplication. Each test case becomes a CTest test that runs
# on Qt's offscreen platform unless PLATFORM names another, with a time-out of 60 s unless
# TIMEOUT says more.
find_package(Qt6 REQUIRED COMPONENTS Test)

set(KDZ_QT_TEST_DIR ${CMAKE_CURRENT_LIST_DIR})

function(kdz_add_qt_test name)
  cmake_parse_arguments(T "" "MAIN;LABEL;PLATFORM;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 60)
  endif()
  if(NOT T_MAIN)
    set(T_MAIN ${KDZ_QT_TEST_DIR}/QtTestMain.cpp)
  endif()
  if(NOT T_PLATFORM)
    set(T_PLATFORM offscreen)
  endif()
  add_executable(${name} ${T_SOURCES} ${T_MAIN} ${KDZ_QT_TEST_DIR}/LeakSuppressions.cpp)
  target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test GTest::gtest GTest::gmock)
  # One value per property: the discovered tests' properties do not survive lists.
  # An empty value would vanish from the list and shift the next property into its place.
  set(properties ENVIRONMENT "QT_QPA_PLATFORM=${T_PLATFORM}" TIMEOUT ${T_TIMEOUT})
  if(T_LABEL)
    list(APPEND properties LABELS "${T_LABEL}")
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ${properties}
    DISCOVERY_TIMEOUT 60)
endfunction()
