#include "launcher/login/lobby_hand_off_win.h"

#include <windows.h>

#include <cstdio>

#include "launcher/login/message_box_window_win.h"
#include "launcher/startup/lobby_command_line.h"
#include "launcher/startup/process_control_win.h"
#include "launcher/startup/program_folder_win.h"

namespace gatevane {
namespace {

constexpr char kLogonTooLong[] = "登录信息过长,无法启动游戏大厅,请换用其他方式登录!";

void StartLobbyHost(CWindowWnd& window, const std::string& commandLine) {
    const std::string path = LobbyHostPath();
    if (StartProgram(path.c_str(), commandLine)) {
        ::PostQuitMessage(0);
        return;
    }
    char message[kPathCapacity + 64];
    std::snprintf(message, sizeof message, "创建宿主进程失败!(%s)", path.c_str());
    ShowMessageBox(window, message, kMessageBoxOneButton);
}

}  // namespace

std::string LobbyHostPath() {
    return ProgramFolderPath("/Quarnel.run");
}

void StartLobby(CWindowWnd& window, const std::string& scrambled) {
    if (scrambled.empty()) return;
    StartLobbyHost(window, " " + scrambled);
}

void HandOffLogon(CWindowWnd& window, const std::string& plainCommandLine) {
    const std::string scrambled = ScrambleLobbyCommandLine(plainCommandLine);
    if (scrambled.empty()) {
        ShowMessageBox(window, kLogonTooLong, kMessageBoxOneButton);
        return;
    }
    StartLobby(window, scrambled);
}

void StartLobbyWithoutLogon(CWindowWnd& window) {
    StartLobbyHost(window, std::string());
}

}  // namespace gatevane
