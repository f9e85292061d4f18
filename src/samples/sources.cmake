# The sample side of the sound: decoded samples and the sample engine, the kits
# and the track sources (plain C++), and the library that decodes the embedded
# recordings (framework code).
list(APPEND GRUM_ENGINE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SampleData.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SampleEngine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Kits.cpp
)
list(APPEND GRUM_PLUGIN_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SampleLibrary.cpp
)
