// A host callback that records every call and answers from a table, for
// tests that check what a plug-in asks of its host. The callback is a plain
// function, so the log and the table are the process's own: a test resets
// them before and after it runs. Not thread-safe: the tests that use it
// call the host from one thread at a time.
#pragma once

#include <cstddef>
#include <map>
#include <vector>

#include "shell/vst/aeffectx.h"

namespace plux::testing_support {

// One call as the host received it.
struct HostCall {
    AEffect* effect = nullptr;
    VstInt32 opcode = 0;
    VstInt32 index = 0;
    VstIntPtr value = 0;
    void* ptr = nullptr;
    float opt = 0.0f;
    // Whether the wrapper's scriptLock was held by the caller, for the tests
    // that probe it (RecordingHost::intercept fills it in).
    bool scriptLockHeld = false;
};

struct RecordingHost {
    inline static std::vector<HostCall> calls;
    inline static std::map<VstInt32, VstIntPtr> answers;
    // When set, sees each call before it is logged; answers it instead of
    // the table by returning true with `answer` set.
    inline static bool (*intercept)(HostCall& call, VstIntPtr& answer) = nullptr;

    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt) {
        HostCall call{effect, opcode, index, value, ptr, opt, false};
        VstIntPtr answer = 0;
        const bool answered = intercept != nullptr && intercept(call, answer);
        calls.push_back(call);
        if (answered)
            return answer;
        const auto it = answers.find(opcode);
        return it == answers.end() ? 0 : it->second;
    }
    // No calls, no answers (every call answers 0), no intercept.
    static void reset() {
        calls.clear();
        answers.clear();
        intercept = nullptr;
    }
    static void answerEverything(VstIntPtr answer) {
        for (VstInt32 opcode = 0; opcode <= 49; ++opcode)
            answers[opcode] = answer;
    }
    static std::size_t countOf(VstInt32 opcode) {
        std::size_t n = 0;
        for (const HostCall& c : calls)
            n += c.opcode == opcode ? 1 : 0;
        return n;
    }
};

}  // namespace plux::testing_support
