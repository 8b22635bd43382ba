/* shows a window with a button and an edit box, writes shown.txt once painted, quits after 4 s */
#include <windows.h>
static LRESULT CALLBACK proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_TIMER) { PostQuitMessage(0); return 0; }
    if (m == WM_DESTROY) { PostQuitMessage(0); return 0; }
    return DefWindowProcA(h, m, w, l);
}
int WINAPI WinMain(HINSTANCE inst, HINSTANCE prev, LPSTR cmd, int show) {
    WNDCLASSA wc = {0};
    wc.lpfnWndProc = proc; wc.hInstance = inst; wc.lpszClassName = "Vm32Test";
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1); wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    RegisterClassA(&wc);
    HWND w = CreateWindowA("Vm32Test", "vm32 window test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 420, 220, 0, 0, inst, 0);
    CreateWindowA("BUTTON", "Press me", WS_CHILD | WS_VISIBLE, 20, 20, 140, 40, w, (HMENU)1, inst, 0);
    CreateWindowA("EDIT", "123.45", WS_CHILD | WS_VISIBLE | WS_BORDER, 20, 80, 140, 28, w, (HMENU)2, inst, 0);
    UpdateWindow(w);
    HANDLE f = CreateFileA("shown.txt", GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    SetTimer(w, 1, 4000, 0);
    MSG msg;
    while (GetMessageA(&msg, 0, 0, 0) > 0) { TranslateMessage(&msg); DispatchMessageA(&msg); }
    return 0;
}
