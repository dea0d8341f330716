#pragma once
// The prompt of a bench that runs the report run: answers No to the
// closing question (so no browser is started) and OK to anything else,
// and prints what it was asked.

#include <cstdio>
#include <string>

#include "common/Prompt.h"

namespace bench {

class PrintingPrompt : public common::IPrompt {
public:
    common::Answer Ask(const std::string& text, const std::string& title, common::Buttons buttons,
                       common::Icon) override {
        std::fprintf(stderr, "question: %s: %s\n", title.c_str(), text.c_str());
        return buttons == common::Buttons::YesNo ? common::Answer::No : common::Answer::OK;
    }
};

}  // namespace bench
