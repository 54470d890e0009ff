// Shared pieces of the player tests: a headless host that records which action lists ran.
#pragma once

#include "SwfBuilder.h"

#include "player/FrameActions.h"
#include "player/host/HeadlessHost.h"

#include <memory>
#include <string>
#include <vector>

namespace tavro::player::test {

// An action list that only carries a marker: a Push of the string `name`, which the frame
// actions skip and the recorder below picks up.
inline Bytes Marker(const std::string& name) {
    Bytes b{0x96};
    U16(b, uint32_t(name.size() + 2));
    b.push_back(0);
    b.insert(b.end(), name.begin(), name.end());
    b.push_back(0);
    return b;
}

class RecordingActions : public FrameActions {
public:
    explicit RecordingActions(std::vector<std::string>* log) : log_(log) {}
    void RunQueue(PlayerCore&, ActionQueue& queue) override {
        ActionQueue::Entry e;
        while (queue.Pop(e)) {
            auto a = e.Actions();
            if (a.size() > 4 && a[0] == 0x96 && a[3] == 0)
                log_->push_back(std::string(reinterpret_cast<const char*>(a.data()) + 4));
            if (!RunList(a, *e.timeline)) {
                queue.Clear();
                break;
            }
        }
    }

private:
    std::vector<std::string>* log_;
};

class RecordingHost : public HeadlessHost {
public:
    RecordingHost() { SetActionInterpreter(std::make_unique<RecordingActions>(&log)); }
    void LoadBytes(const Bytes& b) { Load(b.data(), b.size()); }
    std::vector<std::string> log;
};

} // namespace tavro::player::test
