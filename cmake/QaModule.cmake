# qa_refresh_moc(<target>): moc's dependency file knows only the headers it
# saw on its last run, so a header added to the folder later would never be
# moc'ed in an existing build folder. When the folder's header list changes
# (the glob re-check re-runs CMake), drop the target's autogen stamp so that
# moc runs again.
function(qa_refresh_moc name)
  file(GLOB _hdr CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  string(JOIN "\n" _now ${_hdr})
  set(_list ${CMAKE_CURRENT_BINARY_DIR}/${name}_headers.txt)
  set(_before "")
  if(EXISTS ${_list})
    file(READ ${_list} _before)
  endif()
  if(NOT _now STREQUAL _before)
    file(WRITE ${_list} "${_now}")
    file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${name}_autogen/timestamp)
  endif()
endfunction()

# qa_module(<name> [UI] DEPS <targets...>)
# Builds one static library from the *.cpp/*.h files of the current folder
# (not recursive). Window code sits in a folder's ui/ subfolder and is a module
# of its own declared with UI, so that core libraries never link Qt Widgets.
function(qa_module name)
  cmake_parse_arguments(QA "UI" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  file(GLOB _cpp CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _cpp)
    # A subsystem that has no code yet still links as a dependency.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${QA_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${_src})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${QA_DEPS})
  if(QA_UI)
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
    qa_refresh_moc(${name})
    target_link_libraries(${name} PUBLIC Qt6::Widgets)
  endif()
endfunction()

# qa_test(<name> DEPS <targets...>): one GoogleTest executable from the
# *.cpp files of the current folder, registered with CTest test by test.
# Window tests run offscreen and with settings redirected (tests/support);
# the application and source folders are compiled into tests/support.
function(qa_test name)
  cmake_parse_arguments(QA "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  file(GLOB _cpp CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _cpp)
    return()
  endif()
  add_executable(${name} ${_src})
  set_target_properties(${name} PROPERTIES AUTOMOC ON RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests_bin)
  qa_refresh_moc(${name})
  target_link_libraries(${name} PRIVATE ${QA_DEPS} qa_test_support GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()

# qa_use_allocator(<executable>): the tool's allocator in place of glibc's
# for the whole process (the executable and every library it loads).
function(qa_use_allocator name)
  target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/AllocatorSettings.cpp)
  target_link_libraries(${name} PRIVATE PkgConfig::JEMALLOC)
endfunction()
