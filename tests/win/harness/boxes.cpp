#include "boxes.h"

static BoxWatcher *watcher;

BoxWatcher::BoxWatcher()
{
    watcher = this;
    hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

BoxWatcher::~BoxWatcher()
{
    UnhookWindowsHookEx(hook_);
    watcher = nullptr;
}

void BoxWatcher::OnDialog(const std::string &caption, std::function<void(HWND)> handler)
{
    handlers_.emplace_back(caption, std::move(handler));
}

std::vector<SeenBox> BoxWatcher::Take()
{
    std::vector<SeenBox> taken;
    taken.swap(seen_);
    return taken;
}

std::string WindowText(HWND window)
{
    char text[20000];
    text[0] = '\0';
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void PressButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, id));
}

static bool IsDialog(HWND window)
{
    char name[16];
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, "#32770") == 0;
}

// A dialog can be activated from inside its own WM_INITDIALOG (a SetFocus there does it),
// so it is looked at only once its modal loop runs: from a thread timer.
void BoxWatcher::Activated(HWND window)
{
    if (!IsDialog(window))
        return;
    for (HWND w : activated_)
        if (w == window)
            return;
    activated_.push_back(window);
    SetTimer(nullptr, 0, 1, Later);
}

void CALLBACK BoxWatcher::Later(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (watcher == nullptr)
        return;
    std::vector<HWND> windows;
    windows.swap(watcher->activated_);
    for (HWND w : windows)
        if (IsWindow(w))
            watcher->Answer(w);
}

void BoxWatcher::Answer(HWND window)
{
    std::string caption = WindowText(window);
    for (auto it = handlers_.begin(); it != handlers_.end(); ++it) {
        if (it->first == caption) {
            auto handler = std::move(it->second);
            handlers_.erase(it);
            handler(window);
            return;
        }
    }
    HWND text = GetDlgItem(window, 0xFFFF);
    if (text == nullptr) {
        // A dialog nobody expected: record it and cancel it, so the test fails, not hangs.
        seen_.push_back({caption, "(dialog)"});
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    seen_.push_back({caption, WindowText(text)});
    PostMessageA(window, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK BoxWatcher::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && watcher != nullptr)
        watcher->Activated((HWND)wParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
