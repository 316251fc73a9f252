#include "ScreenCapture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

std::vector<uint32_t> CaptureScreen(int x, int y, int width, int height, const std::string& png,
                                    std::string& error) {
    const char* tool = std::getenv("QV_CAPTURE_SCREEN");
    if (!tool || !*tool) {
        error = "QV_CAPTURE_SCREEN names no capture tool";
        return {};
    }
    const std::string done = png + ".done";
    const std::string rgb = png + ".rgb";
    DeleteFileA(done.c_str());
    DeleteFileA(rgb.c_str());
    // Wine starts a Unix program given by its path (on drive Z:, the root) in the current
    // folder; what it hands back is no process that can be waited on.
    char geometry[64];
    std::snprintf(geometry, sizeof geometry, "%dx%d+%d+%d", width, height, x, y);
    std::string command = std::string("Z:/bin/sh \"") + tool + "\" \"" + png + "\" " + geometry;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        error = "cannot start " + command + " (error " + std::to_string(GetLastError()) + ")";
        return {};
    }
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    const DWORD start = GetTickCount();
    while (GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > 60000) {
            error = "the capture did not finish within a minute";
            return {};
        }
        Sleep(50);
    }
    std::ifstream status(done);
    int code = -1;
    status >> code;
    if (code != 0) {
        error = "the capture tool failed with status " + std::to_string(code);
        return {};
    }
    std::ifstream in(rgb, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    if (bytes.size() != static_cast<size_t>(width) * height * 3) {
        error = "the capture holds " + std::to_string(bytes.size()) + " bytes, not " +
                std::to_string(width * height * 3);
        return {};
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint32_t>(bytes[3 * i]) << 16 | bytes[3 * i + 1] << 8 | bytes[3 * i + 2];
    return pixels;
}

std::vector<uint32_t> CaptureClientArea(HWND window, const std::string& png, std::string& error) {
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    return CaptureScreen(origin.x, origin.y, client.right, client.bottom, png, error);
}
