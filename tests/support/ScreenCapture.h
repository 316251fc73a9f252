// Screenshots taken from outside Wine: tools/capture-screen (named by QV_CAPTURE_SCREEN, which
// the tests' environment sets) runs as a Unix program and reads the X display, so a test sees
// what reached the screen rather than what GDI answers about its own drawing. Under the test
// session's Xvfb (24 bits) and without a window manager, a window's client area lies on the
// screen where ClientToScreen says, and drawn pixels come back exactly.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Takes the screen rectangle (x, y, width, height in screen pixels) into the PNG file named, in
// the current folder, which stays as the test's output; the pixels come back as 0x00RRGGBB,
// rows top first. An empty answer with a reason in error when there is no capture tool or it
// failed or did not finish within the time.
std::vector<uint32_t> CaptureScreen(int x, int y, int width, int height, const std::string& png,
                                    std::string& error);

// The client area of a window, captured as CaptureScreen does.
std::vector<uint32_t> CaptureClientArea(HWND window, const std::string& png, std::string& error);
