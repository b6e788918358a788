#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <vector>
#include <string>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "support/ToolRun.h"

namespace zen::test {

// Whether `text` holds every one of `parts`; a failure names the first part missing and shows
// the text.
::testing::AssertionResult Holds(const std::string& text, const std::vector<std::string>& parts);

// Whether `run` ended with `exitCode` and its output holds every one of `parts`; a failure
// says which did not and shows the output.
::testing::AssertionResult Said(const ToolRun& run, int exitCode, const std::vector<std::string>& parts = {});

// The whole content of the file at `path`; empty when it cannot be read.
std::string ReadText(const std::string& path);

// Text written as a UTF-8 literal, as the tools print names and the engine's reasons.
std::string Utf8(const char8_t* text);

// Writes the scene that `build` makes, with the engine and the scene codec started for it (the
// objects must be made after the start), to the scene file `path`; false when a step fails.
bool SaveSceneFile(const std::string& path, const std::function<Ptr<Object>()>& build);

}  // namespace zen::test
