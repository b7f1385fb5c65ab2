// The yardstick of the start-up benchmark (tools/bench): an empty window and nothing
// else, built with the compiler, flags and runtime of ovra.exe, so that what Ovra adds
// at start is the difference. Any WM_COMMAND (the benchmark driver sends Exit) ends it.
// A word on the command line names its window class instead: the tests start it as another
// program whose window has Ovra's class.
#include <windows.h>

static LRESULT CALLBACK HelloWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand)
{
    const char *className = commandLine[0] != '\0' ? commandLine : "Hello";
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HelloWindow;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = className;
    if (RegisterClassA(&wc) == 0)
        return 1;
    HWND window = CreateWindowExA(0, className, "Hello", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  instance, nullptr);
    if (window == nullptr)
        return 1;
    ShowWindow(window, showCommand);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
