# Tests that need the framework: the processor and the built bundles.
list(APPEND GRUM_PLUGIN_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TestMain.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProcessorTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WrapperTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpineTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DiceTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SoundTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TrackSoundTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RaceTest.cpp
)

if(NOT GRUM_ENGINE_ONLY)
    # grum render as users call it: the files it writes and its errors.
    add_test(NAME cli.render.files
        COMMAND sh -c "d=$(mktemp -d) && cd $d && $<TARGET_FILE:grum> render --bars 4 --start-bar 16 --block 300 --out a.wav --midi-out a.mid --events a.tsv > out.txt && grep -q 'x real time' out.txt && test -s a.wav && test -s a.mid && test $(wc -l < a.tsv) -gt 20 && test $(head -c 4 a.mid) = MThd && awk -F'\\t' 'NF != 7 { exit 1 }' a.tsv")
    add_test(NAME cli.render.same_for_any_block
        COMMAND sh -c "d=$(mktemp -d) && cd $d && $<TARGET_FILE:grum> render --bars 3 --start-bar 24 --block 1200 --events a.tsv --midi-out a.mid > /dev/null && $<TARGET_FILE:grum> render --bars 3 --start-bar 24 --block 7 --events b.tsv --midi-out b.mid > /dev/null && cmp a.tsv b.tsv && cmp a.mid b.mid")
    add_test(NAME cli.render.bad_parameter COMMAND sh -c "$<TARGET_FILE:grum> render --set nonsense=1 2>&1 | grep -q 'unknown parameter'; test $? -eq 0 && { $<TARGET_FILE:grum> render --set kaos=3; test $? -eq 2; }")
    # A track's sound by number or name; a missing sample is reported and falls back.
    add_test(NAME cli.render.source
        COMMAND sh -c "d=$(mktemp -d) && cd $d && $<TARGET_FILE:grum> render --bars 1 --set kit=3 --source 0=K01_909_Punch --source stab=grum:4:7 --source HAT=synt > /dev/null && $<TARGET_FILE:grum> render --bars 1 --set kit=1 --source 4=B99_Nothing 2>&1 | grep -q 'BAS plays Techno Bas F' && { $<TARGET_FILE:grum> render --source 6=synt; test $? -eq 2; } && { $<TARGET_FILE:grum> render --source KICK; test $? -eq 2; }")
    add_test(NAME cli.render.bad_block COMMAND sh -c "$<TARGET_FILE:grum> render --block 0; test $? -eq 2")
endif()
