// PetWatchedWindow.exe: the game hall's window that OstrelPet watches, for the demo. A full-screen
// window with a colourful background (so the pet's soft edges show against it), titled by the
// first argument, that prints every message 1111 the pet posts. Commands come one per line on
// standard input, and each answers with one line on standard output:
//
//   wait-pet      waits (at most 20 s) until the pet has drawn itself; prints where it stands
//   click         presses and releases the left button on the pet
//   right-click   the same with the right button
//   drag DX DY    drags the pet by DX, DY pixels; prints where it stands then
//   close         closes the window (the pet should end about 2 s later)
//   open          opens it again
//   quit          ends this program
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

namespace {

constexpr UINT kPetClick = 1111;
constexpr UINT kCommand = WM_APP + 1;

std::string title = "GameHall";
HWND watched = nullptr;
int clicks = 0;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void Pump(DWORD milliseconds) {
    const DWORD end = ::GetTickCount() + milliseconds;
    while (static_cast<LONG>(::GetTickCount() - end) < 0) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    RECT client;
    ::GetClientRect(window, &client);
    // A diagonal of colours: teal at the top left, violet and gold towards the pet's corner.
    TRIVERTEX corners[4] = {
        {0, 0, 0x0000, 0x8000, 0x8000, 0},
        {client.right, 0, 0x2000, 0x4000, 0xC000, 0},
        {0, client.bottom, 0x9000, 0x2000, 0xA000, 0},
        {client.right, client.bottom, 0xF000, 0xD000, 0x2000, 0},
    };
    GRADIENT_TRIANGLE triangles[2] = {{0, 1, 2}, {1, 2, 3}};
    ::GradientFill(dc, corners, 4, triangles, 2, GRADIENT_FILL_TRIANGLE);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(255, 255, 255));
    const std::string text = title + ": the window the pet watches (clicks on the pet arrive here)";
    ::TextOutA(dc, 40, 40, text.c_str(), static_cast<int>(text.size()));
    ::EndPaint(window, &paint);
}

HWND PetWindow() {
    return ::FindWindowA("MyOleControl", "MyOleControlWindow");
}

RECT PetRect() {
    RECT rect{};
    ::GetWindowRect(PetWindow(), &rect);
    return rect;
}

std::string Where() {
    const RECT rect = PetRect();
    std::ostringstream text;
    text << "pet at " << rect.left << "," << rect.top << ", " << rect.right - rect.left << "x"
         << rect.bottom - rect.top;
    return text.str();
}

void Mouse(int x, int y, DWORD flags) {
    ::SetCursorPos(x, y);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof input);
    Pump(40);
}

// A point on the creature's belly.
POINT OnThePet() {
    const RECT rect = PetRect();
    return {(rect.left + rect.right) / 2, rect.top + 115};
}

void Open();

void Run(const std::string& line) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "wait-pet") {
        for (int i = 0; i < 200 && !PetWindow(); ++i) Pump(100);
        Pump(1500);  // a few frames of the movie
        Say(PetWindow() ? Where() : "no pet window");
    } else if (command == "click" || command == "right-click") {
        const bool left = command == "click";
        const int before = clicks;
        const POINT at = OnThePet();
        Mouse(at.x, at.y, left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN);
        Mouse(at.x, at.y, left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP);
        Pump(1000);
        Say(command + ": " + std::to_string(clicks - before) + " message(s) 1111 arrived");
    } else if (command == "drag") {
        int dx = 0, dy = 0;
        words >> dx >> dy;
        const int before = clicks;
        const POINT at = OnThePet();
        Mouse(at.x, at.y, MOUSEEVENTF_LEFTDOWN);
        for (int step = 1; step <= 20; ++step) {
            Mouse(at.x + dx * step / 20, at.y + dy * step / 20, MOUSEEVENTF_MOVE);
        }
        Mouse(at.x + dx, at.y + dy, MOUSEEVENTF_LEFTUP);
        Pump(800);
        Say("dragged by " + std::to_string(dx) + "," + std::to_string(dy) + ": " + Where() + ", " +
            std::to_string(clicks - before) + " message(s) 1111");
    } else if (command == "close") {
        ::DestroyWindow(watched);
        watched = nullptr;
        Say("watched window closed");
    } else if (command == "open") {
        Open();
        Say("watched window open");
    } else if (command == "quit") {
        ::PostQuitMessage(0);
    } else {
        Say("unknown command: " + line);
    }
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            Paint(window);
            return 0;
        case kPetClick:
            ++clicks;
            Say("message 1111: the pet was clicked");
            return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// The commands arrive on their own thread and run on the window's.
LRESULT CALLBACK CommandProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCommand) {
        auto* line = reinterpret_cast<std::string*>(lParam);
        Run(*line);
        delete line;
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void Open() {
    watched = ::CreateWindowExA(0, "PetWatchedWindow", title.c_str(), WS_POPUP | WS_VISIBLE, 0, 0,
                                ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                                nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::UpdateWindow(watched);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) title = argv[1];
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.lpszClassName = "PetWatchedWindow";
    ::RegisterClassA(&windowClass);
    windowClass.lpfnWndProc = CommandProcedure;
    windowClass.lpszClassName = "PetWatchedCommands";
    ::RegisterClassA(&windowClass);
    HWND commands = ::CreateWindowExA(0, "PetWatchedCommands", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, windowClass.hInstance, nullptr);
    Open();
    Say("watched window '" + title + "' open");
    std::thread reader([commands] {
        std::string line;
        while (std::getline(std::cin, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            ::PostMessageA(commands, kCommand, 0, reinterpret_cast<LPARAM>(new std::string(line)));
        }
        ::PostMessageA(commands, kCommand, 0, reinterpret_cast<LPARAM>(new std::string("quit")));
    });
    reader.detach();
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) ::DispatchMessageA(&message);
    return 0;
}
