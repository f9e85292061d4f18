# Tests that need the framework: the processor and the built bundles.
list(APPEND GRUM_PLUGIN_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TestMain.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProcessorTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WrapperTest.cpp
)
