# The sample engine, kits and track sources (framework-free), and the embedded
# library itself, decoded and judged as a listener would (with the framework).
list(APPEND GRUM_ENGINE_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SampleEngineTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/KitsTest.cpp
)
list(APPEND GRUM_PLUGIN_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SampleLibraryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LibraryContentTest.cpp
)
