#pragma once
// A text box: the frame and the grey hint are drawn by the toolkit, the typing happens in a
// native edit window inside the text padding (so the input method, selection and clipboard work
// as everywhere else). The native window is shown while the box has the focus or holds text;
// an empty box without focus shows its hint instead.

#include "base/unique_handle_win.h"
#include "toolkit/label_win.h"
#include "toolkit/state_images.h"

class CEditUI : public CLabelUI {
public:
    CEditUI();
    ~CEditUI() override;
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    CDuiString GetText() const override;
    void SetText(const char* text) override;
    void SetPasswordMode(bool password);
    bool IsPasswordMode() const { return password_; }
    void SetMaxChar(int maxChar);
    int GetMaxChar() const { return maxChar_; }
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const { return readOnly_; }

    void SetAttribute(const char* name, const char* value) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetEnabled(bool enabled = true) override;
    bool IsFocusable() const override;
    HWND PrepareNativeFocus() override;
    // The native window, if it has been made.
    HWND GetNativeWindow() const { return native_.get(); }
    void DoEvent(TEventUI& event) override;
    long AccessibleRole() const override;
    DWORD AccessibleState() const override;
    CDuiString AccessibleValue() const override;

protected:
    void PaintStatusImage(HDC dc) override;
    void PaintText(HDC dc) override;

private:
    static LRESULT CALLBACK NativeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateNativeWindow();
    void UpdateNativeWindow();
    RECT TextRect() const;
    void OnNativeFocus(bool gained);

    gatevane::UniqueWindow native_;
    WNDPROC nativeProc_ = nullptr;
    bool password_ = false;
    bool readOnly_ = false;
    int maxChar_ = 255;
    bool hot_ = false;
    StateImages images_;
    CDuiString tipValue_;
    DWORD tipValueColor_ = 0xFFA8A8A8;
};

// The referrer box: an edit box that code makes read-only.
class CRichEditUI : public CEditUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
};
