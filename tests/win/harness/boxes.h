// Answers the modal boxes and dialogs that the code under test opens on this thread.
// A CBT hook sees each one as it is activated: message boxes are recorded and closed
// with OK; a dialog goes to the next handler queued for it.
#ifndef OVRA_TEST_BOXES_H
#define OVRA_TEST_BOXES_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct SeenBox {
    std::string caption;
    std::string text;
};

class BoxWatcher {
public:
    BoxWatcher();
    ~BoxWatcher();
    // The next dialog whose caption equals caption is handed to handler (which typically
    // fills fields and posts IDOK or IDCANCEL).
    void OnDialog(const std::string &caption, std::function<void(HWND)> handler);
    // Every message box seen so far, oldest first; Take clears the list.
    std::vector<SeenBox> Take();
    const std::vector<SeenBox> &Seen() const { return seen_; }
    int PendingHandlers() const { return (int)handlers_.size(); }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK Later(HWND, UINT, UINT_PTR id, DWORD);
    void Activated(HWND window);
    void Answer(HWND window);
    std::vector<HWND> activated_;
    HHOOK hook_;
    std::vector<SeenBox> seen_;
    std::vector<std::pair<std::string, std::function<void(HWND)>>> handlers_;
};

std::string WindowText(HWND window);
// Posts a click of the button with the given id to a dialog.
void PressButton(HWND dialog, int id);

#endif
