#pragma once
// The script of the demo: a whole headless exchange as a person would do it, from opening the
// window to a tip marked read and a second exchange that no longer lists it. Each step starts
// with an "== " line that says what to look for in the lines after it.
namespace telmora {

const char* DemoScript();

}  // namespace telmora
