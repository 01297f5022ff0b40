#pragma once
// The program's version: set once, by project(VERSION) in the top CMakeLists.txt,
// and shown by the three programs, the window title, the about box and the package.

namespace wavix {

const char* WavixVersion();

} // namespace wavix
