// The message thread's operations racing a playing audio thread, as an editor
// and a host do it: pin requests, parameter moves, new track sounds, shuffles,
// the lanes' dice, state saves and display reads while blocks render. Run it
// under ThreadSanitizer with `make tsan`.

#include <gtest/gtest.h>

#include "lanes/OfflineHost.h"

#include <atomic>
#include <cmath>
#include <thread>

namespace
{
TEST (Threads, MessageThreadOperationsRaceAPlayingAudioThread)
{
    grum::OfflineHost host (48000.0, 256);
    host.collectAudio = host.collectEvents = host.collectMidi = false;
    auto& processor = host.processor();
    auto& tree = processor.parameters();

    std::atomic<bool> stop { false };
    std::atomic<int> blocks { 0 };
    std::atomic<bool> finite { true };

    std::thread audio ([&]
    {
        while (! stop.load())
        {
            host.renderBlock (256);
            blocks.fetch_add (1);
            const auto d = processor.display();
            if (! std::isfinite (d.bpm))
                finite.store (false);
        }
    });

    const char* sources[] = { "", "synt", "grum:3:12", "K01_909_Punch", "no such sample" };
    const int startGeneration = processor.pinList().generation();
    for (int i = 0; i < 2000 || blocks.load() < 2000; ++i)
    {
        switch (i % 8)
        {
            case 0: processor.requestPin(); break;
            case 1: processor.requestUnpin(); break;
            case 2: tree.getParameter ("kaos")->setValueNotifyingHost ((float) (i % 10) / 10.0f); break;
            case 3: processor.setLaneSource (i % 6, sources[i % 5]); break;
            case 4: processor.shuffleLaneSound ((i / 8) % 6); break;
            case 5: processor.randomizeBanor(); break;
            case 6: { juce::MemoryBlock state; processor.getStateInformation (state); break; }
            case 7: tree.getParameter ("seed")->setValueNotifyingHost ((float) (i % 97) / 97.0f); break;
        }
        for (int t = 0; t < grum::kNumLanes; ++t)
            processor.takeActivity (t);
        if (i % 50 == 49)
            processor.requestClearPins();
        std::this_thread::yield();
    }
    stop.store (true);
    audio.join();

    EXPECT_GE (blocks.load(), 2000);
    EXPECT_TRUE (finite.load());
    EXPECT_NE (processor.pinList().generation(), startGeneration);   // the audio thread served the requests
}
} // namespace
