/* Drives a running ovra.exe from outside with window messages, for the demo screenshots,
   the release smoke test and the benchmarks. Windows are found by caption; every wait
   polls with a timeout. Prints results on stdout; exit code 0 on success, 1 on failure.

     driver wait CAPTION [SECONDS]     wait for a visible top-level window; print its geometry
     driver gone CAPTION [SECONDS]     wait until no such window is visible
     driver command ID                 post WM_COMMAND ID to the main window
     driver press CAPTION ID           post WM_COMMAND ID (e.g. IDOK = 1) to a window
     driver front CAPTION              bring a window to the foreground (the others behind)
     driver message MSG WPARAM         post window message MSG (decimal or 0x hex) with
                                       WPARAM to the main window, as the system would
     driver settext CAPTION ID TEXT    set the text of a dialog control
     driver title                      print the main window title
     driver waittitle TEXT [SECONDS]   wait until the main window title differs from TEXT
     driver pane                       print the text of the main window's pane
     driver boxtext CAPTION            print the text of a message box
     driver latency COUNT              SendMessage round trips to the main window: ms figures
     driver startup EXE [ARGS]         start EXE, time until it waits for input with a window
                                       visible (ms), then Exit it and report its exit code
     driver exit                       post Exit and wait for the window to go
     driver trust FILE                 add a DER certificate to the prefix's trusted
                                       root authorities (the demo's own CA) */
#include <windows.h>
#include <wincrypt.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAIN_CLASS "OvraMain"
#define IDM_EXIT 106

static double Now(void)
{
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return (double)count.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

static HWND FindVisible(const char *className, const char *caption)
{
    HWND window = FindWindowA(className, caption);
    return window != NULL && IsWindowVisible(window) ? window : NULL;
}

/* Polls every 10 ms until the window is visible, or until the timeout. */
static HWND WaitVisible(const char *className, const char *caption, double seconds)
{
    double end = Now() + seconds * 1000.0;
    for (;;) {
        HWND window = FindVisible(className, caption);
        if (window != NULL || Now() > end)
            return window;
        Sleep(10);
    }
}

struct ProcessWindow {
    DWORD process;
    HWND window;
};

static BOOL CALLBACK MatchProcess(HWND window, LPARAM parameter)
{
    struct ProcessWindow *search = (struct ProcessWindow *)parameter;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || !IsWindowVisible(window))
        return TRUE;
    search->window = window;
    return FALSE;
}

/* The first visible top-level window of a process, once the process waits for input.
   Waiting on the process's idle state rather than polling keeps the measuring program
   from competing with the measured one for the wineserver. */
static HWND WaitProcessWindow(HANDLE process, DWORD id, double seconds)
{
    double end = Now() + seconds * 1000.0;
    struct ProcessWindow search = {id, NULL};
    WaitForInputIdle(process, (DWORD)(seconds * 1000.0));
    for (;;) {
        EnumWindows(MatchProcess, (LPARAM)&search);
        if (search.window != NULL || Now() > end)
            return search.window;
        Sleep(10);
    }
}

static HWND MainWindow(void)
{
    HWND window = FindWindowA(MAIN_CLASS, NULL);
    if (window == NULL)
        fprintf(stderr, "driver: no Ovra main window\n");
    return window;
}

static HWND Window(const char *caption)
{
    HWND window = FindVisible(NULL, caption);
    if (window == NULL)
        fprintf(stderr, "driver: no window \"%s\"\n", caption);
    return window;
}

static void PrintGeometry(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
}

static int Wait(const char *caption, double seconds)
{
    HWND window = WaitVisible(NULL, caption, seconds);
    if (window == NULL) {
        fprintf(stderr, "driver: \"%s\" did not appear\n", caption);
        return 1;
    }
    PrintGeometry(window);
    return 0;
}

static int Gone(const char *caption, double seconds)
{
    double end = Now() + seconds * 1000.0;
    while (FindVisible(NULL, caption) != NULL) {
        if (Now() > end) {
            fprintf(stderr, "driver: \"%s\" is still there\n", caption);
            return 1;
        }
        Sleep(10);
    }
    return 0;
}

static int Post(HWND window, WPARAM command)
{
    return window != NULL && PostMessageA(window, WM_COMMAND, command, 0) ? 0 : 1;
}

static int PostAny(HWND window, const char *message, const char *wParam)
{
    UINT id = (UINT)strtoul(message, NULL, 0);
    return window != NULL && PostMessageA(window, id, (WPARAM)strtoul(wParam, NULL, 0), 0) ? 0 : 1;
}

static int SetText(const char *caption, int id, const char *text)
{
    HWND dialog = Window(caption);
    HWND control = dialog != NULL ? GetDlgItem(dialog, id) : NULL;
    if (control == NULL)
        return 1;
    SendMessageA(control, WM_SETTEXT, 0, (LPARAM)text);
    return 0;
}

static void PrintText(HWND window)
{
    static char text[65536];
    SendMessageA(window, WM_GETTEXT, sizeof text, (LPARAM)text);
    printf("%s\n", text);
}

static int WaitTitle(const char *old, double seconds)
{
    HWND window = MainWindow();
    double end = Now() + seconds * 1000.0;
    char title[256];
    while (window != NULL) {
        GetWindowTextA(window, title, sizeof title);
        if (strcmp(title, old) != 0) {
            printf("%s\n", title);
            return 0;
        }
        if (Now() > end)
            break;
        Sleep(10);
    }
    fprintf(stderr, "driver: the title stayed \"%s\"\n", old);
    return 1;
}

static int CompareDoubles(const void *a, const void *b)
{
    double x = *(const double *)a, y = *(const double *)b;
    return (x > y) - (x < y);
}

/* Each round trip is one SendMessage that the waiting program must dispatch itself. */
static int Latency(int count)
{
    HWND window = MainWindow();
    if (window == NULL || count < 1)
        return 1;
    double *times = malloc(sizeof *times * (size_t)count);
    char title[64];
    for (int i = 0; i < count; i++) {
        double start = Now();
        SendMessageA(window, WM_GETTEXT, sizeof title, (LPARAM)title);
        times[i] = Now() - start;
    }
    qsort(times, (size_t)count, sizeof *times, CompareDoubles);
    printf("median %.3f p99 %.3f max %.3f\n", times[count / 2],
           times[(count * 99) / 100 < count ? (count * 99) / 100 : count - 1], times[count - 1]);
    free(times);
    return 0;
}

static int ExitAndWait(HWND window, HANDLE process)
{
    if (Post(window, IDM_EXIT) != 0)
        return 1;
    if (process == NULL) {
        for (int i = 0; i < 1000 && IsWindow(window); i++)
            Sleep(10);
        return IsWindow(window) ? 1 : 0;
    }
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0)
        return 1;
    DWORD code = 1;
    GetExitCodeProcess(process, &code);
    printf("exit code %lu\n", code);
    return code == 0 ? 0 : 1;
}

static int Startup(int argc, char **argv)
{
    char line[1024] = "";
    for (int i = 0; i < argc; i++) {
        strncat(line, "\"", sizeof line - strlen(line) - 1);
        strncat(line, argv[i], sizeof line - strlen(line) - 1);
        strncat(line, "\" ", sizeof line - strlen(line) - 1);
    }
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info;
    double start = Now();
    if (!CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info)) {
        fprintf(stderr, "driver: cannot start %s\n", argv[0]);
        return 1;
    }
    HWND window = WaitProcessWindow(info.hProcess, info.dwProcessId, 30);
    double elapsed = Now() - start;
    if (window == NULL) {
        fprintf(stderr, "driver: no window appeared\n");
        TerminateProcess(info.hProcess, 1);
        return 1;
    }
    char title[256];
    GetWindowTextA(window, title, sizeof title);
    printf("visible %.1f ms\ntitle %s\n", elapsed, title);
    int result = ExitAndWait(window, info.hProcess);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return result;
}

static int Trust(const char *path)
{
    static BYTE der[16384];
    FILE *file = fopen(path, "rb");
    size_t size = file != NULL ? fread(der, 1, sizeof der, file) : 0;
    if (file != NULL)
        fclose(file);
    HCERTSTORE root = CertOpenSystemStoreA(0, "Root");
    BOOL added = size > 0 && root != NULL &&
                 CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der, (DWORD)size,
                                                  CERT_STORE_ADD_REPLACE_EXISTING, NULL);
    if (root != NULL)
        CertCloseStore(root, 0);
    if (!added)
        fprintf(stderr, "driver: cannot trust %s\n", path);
    return added ? 0 : 1;
}

static double Seconds(int argc, char **argv, int index)
{
    return argc > index ? atof(argv[index]) : 20.0;
}

int main(int argc, char **argv)
{
    const char *verb = argc > 1 ? argv[1] : "";
    if (strcmp(verb, "wait") == 0 && argc > 2)
        return Wait(argv[2], Seconds(argc, argv, 3));
    if (strcmp(verb, "gone") == 0 && argc > 2)
        return Gone(argv[2], Seconds(argc, argv, 3));
    if (strcmp(verb, "command") == 0 && argc > 2)
        return Post(MainWindow(), (WPARAM)atoi(argv[2]));
    if (strcmp(verb, "message") == 0 && argc > 3)
        return PostAny(MainWindow(), argv[2], argv[3]);
    if (strcmp(verb, "press") == 0 && argc > 3)
        return Post(Window(argv[2]), (WPARAM)atoi(argv[3]));
    if (strcmp(verb, "front") == 0 && argc > 2) {
        HWND window = Window(argv[2]);
        return window != NULL && SetForegroundWindow(window) ? 0 : 1;
    }
    if (strcmp(verb, "settext") == 0 && argc > 4)
        return SetText(argv[2], atoi(argv[3]), argv[4]);
    if (strcmp(verb, "waittitle") == 0 && argc > 2)
        return WaitTitle(argv[2], Seconds(argc, argv, 3));
    if (strcmp(verb, "latency") == 0 && argc > 2)
        return Latency(atoi(argv[2]));
    if (strcmp(verb, "startup") == 0 && argc > 2)
        return Startup(argc - 2, argv + 2);
    if (strcmp(verb, "exit") == 0)
        return ExitAndWait(MainWindow(), NULL);
    if (strcmp(verb, "trust") == 0 && argc > 2)
        return Trust(argv[2]);
    HWND window = NULL;
    if (strcmp(verb, "title") == 0 || strcmp(verb, "pane") == 0) {
        window = MainWindow();
        if (window != NULL && verb[0] == 'p')
            window = FindWindowExA(window, NULL, "EDIT", NULL);
    } else if (strcmp(verb, "boxtext") == 0 && argc > 2) {
        window = Window(argv[2]);
        if (window != NULL)
            window = GetDlgItem(window, 0xFFFF);
    } else {
        fprintf(stderr, "driver: unknown or incomplete command (see the top of driver.c)\n");
        return 2;
    }
    if (window == NULL)
        return 1;
    PrintText(window);
    return 0;
}
