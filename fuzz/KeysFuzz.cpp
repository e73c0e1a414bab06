// Key scripts and command lines: parts are a key script and a command line (one argument a line).
// A script that parses gives back the same steps when written out again and parsed; one that does
// not leaves the script as it was and names a line of it. The front-ends' options either parse
// or give a one-line reason.
#include "frontends/FrontEndOptions.h"
#include "fuzz/FuzzSupport.h"
#include "platform/KeyScript.h"

#include <algorithm>

namespace {

const char* const buttonNames[] = {
    "UP", "DOWN", "LEFT", "RIGHT", "UPLEFT", "UPRIGHT", "DOWNLEFT", "DOWNRIGHT", "A",   "B",
    "X",  "Y",    "L",    "R",     "START",  "SELECT",  "VOLUP",    "VOLDOWN",   "PUSH"};

std::string written(const std::vector<KeyScript::Step>& steps)
{
    std::string text;
    for (const KeyScript::Step& step : steps) {
        std::string word;
        for (const char* name : buttonNames) {
            ButtonMask bit = 0;
            std::string why;
            FUZZ_CHECK(KeyScript::parseButtons(name, &bit, &why) && bit != 0);
            if (step.buttons & bit)
                word += (word.empty() ? "" : "+") + std::string(name);
        }
        text += (word.empty() ? "-" : word) + " " + std::to_string(step.count) + "\n";
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> part = fuzz::parts(data, size, 2);
    const std::string good = "A 2\n- 1\n";
    KeyScript script;
    std::string error;
    FUZZ_CHECK(script.parse(good, &error) && written(script.steps()) == good);
    if (script.parse(part[0], &error)) {
        KeyScript again;
        FUZZ_CHECK(again.parse(written(script.steps()), &error) &&
                   written(again.steps()) == written(script.steps()));
    } else {
        FUZZ_CHECK(written(script.steps()) == good);
        // The line named is bad alone, and every line before it is good.
        const std::vector<std::string> lines = fuzz::lines(part[0]);
        const size_t named = std::strtoul(error.c_str() + 5, nullptr, 10);
        FUZZ_CHECK(error.compare(0, 5, "line ") == 0 && named >= 1 && named <= lines.size());
        std::string above;
        for (size_t i = 0; i + 1 < named; ++i)
            above += lines[i] + "\n";
        KeyScript probe;
        FUZZ_CHECK(probe.parse(above, &error) && !probe.parse(lines[named - 1], &error));
    }

    std::vector<std::string> arguments = {"tarvo"};
    for (const std::string& argument : fuzz::lines(part[1]))
        arguments.push_back(argument.c_str());
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    FrontEndOptions options;
    error.clear();
    if (parseFrontEndOptions(static_cast<int>(argv.size()), argv.data(), ~0u, &options, &error)) {
        FUZZ_CHECK(options.help || !options.sdFolder.empty());
        FUZZ_CHECK(options.scale >= 0 && options.scale <= 16);
    } else {
        FUZZ_CHECK(!error.empty() && error.find('\n') == std::string::npos);
    }
    return 0;
}
