list(APPEND GRUM_ENGINE_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TypesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StylesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MutationTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConductorTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PropertyTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PinListTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BarDumpTest.cpp
)
