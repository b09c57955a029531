// The toolkit as skin authors and window authors use it: skins built into real windows, laid out
// by a real paint, and driven by mouse and key messages posted the way the system delivers them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/unique_handle_win.h"
#include "tests/support/test_folder.h"
#include "tests/toolkit/skin_test_window.h"
#include "toolkit/ansi_wide_win.h"
#include "toolkit/button_win.h"
#include "toolkit/container_win.h"
#include "toolkit/dialog_builder_win.h"
#include "toolkit/edit_win.h"
#include "toolkit/option_win.h"
#include "toolkit/window_impl_base_win.h"

namespace {

using Log = std::vector<std::string>;

// A skin window with the filters these cases read its notifications through.
class ShownSkin : public SkinTestWindow {
public:
    using SkinTestWindow::SkinTestWindow;
    // The notifications of the given types, in order.
    Log Only(std::initializer_list<const char*> types) const {
        Log kept;
        for (const std::string& entry : notifications()) {
            for (const char* type : types)
                if (entry.rfind(std::string(type) + ":", 0) == 0) kept.push_back(entry);
        }
        return kept;
    }
    Log Clicks() const { return Only({"click"}); }
    // Those of the named controls that pass `test`, as "b1 e2".
    template <typename Test>
    std::string Which(std::initializer_list<const char*> names, Test test) {
        std::string found;
        for (const char* name : names)
            if (test(Get(name))) found += (found.empty() ? "" : " ") + std::string(name);
        return found;
    }
};

// Paints the window, then checks where each control lies: "name=left,top,right,bottom".
void ExpectPlaces(ShownSkin& window, std::initializer_list<std::string> places) {
    PaintNow(window);
    for (const std::string& place : places) {
        std::string name = place.substr(0, place.find('='));
        EXPECT_EQ(name + "=" + Rect(window.Get(name.c_str())->GetPos()), place);
    }
}

// What ShownSkin::Which asks of a control: that it is visible, that it is a selected option.
const auto Shown = [](CControlUI* control) { return control->IsVisible(); };
const auto Chosen = [](CControlUI* control) {
    auto* option = static_cast<COptionUI*>(control->GetInterface("Option"));
    return option && option->IsSelected();
};

// A skin built without a window, as a preview tool builds one; the manager owns the tree.
struct BuiltSkin {
    explicit BuiltSkin(const char* xml, IDialogBuilderCallback* callback = nullptr)
        : root(builder.Create(xml, nullptr, callback, &manager)) {
        manager.AttachDialog(std::unique_ptr<CControlUI>(root));
    }
    CControlUI* Find(const char* name) const { return manager.FindControl(name); }
    std::string error() const { return builder.GetLastError().str(); }

    CPaintManagerUI manager;
    CDialogBuilder builder;
    CControlUI* const root;
};

// The window's size, caption band and corners, its fonts (a font defined again replaces its id and
// keeps the default), and class defaults under the controls' own attributes.
TEST(BuilderSkin, TheSkinGivesTheWindowItsSizeFontsAndClassDefaults) {
    ShownSkin window(R"(<Window size="320,240" caption="0,0,0,40" roundcorner="6,8">
        <Font id="0" name="微软雅黑" size="12"/>
        <Font id="1" name="宋体" size="12" default="true"/>
        <Font id="2" name="宋体" size="14"/>
        <Font id="3" name="微软雅黑"/>
        <Font id="1" name="微软雅黑" size="20" bold="true" underline="true"/>
        <Default name="Button" value="bkcolor=&quot;#FF102030&quot; height=&quot;24&quot; tooltip=&quot;默认&quot; bkimage=&quot;file='b.png' source='0,0,8,3'&quot;"/>
        <Default name="Label" value="width=&quot;77&quot;"/>
        <VerticalLayout><Button name="plain"/><Label name="label"/>
          <Button name="own" bkcolor="#FF405060" height="30" tooltip="自己的"/></VerticalLayout>
        </Window>)");
    CPaintManagerUI& manager = window.manager();
    RECT frame;
    ::GetWindowRect(window, &frame);
    const SIZE corner = manager.GetRoundCorner();
    EXPECT_EQ(Rect(frame) + " caption " + Rect(manager.GetCaptionRect()) + " corner " +
                  std::to_string(corner.cx) + "," + std::to_string(corner.cy),
              "100,100,420,340 caption 0,0,0,40 corner 6,8");
    // "20px w700 underline 微软雅黑": what a font element decided. A font without a size is 12 px.
    auto font = [&](int id) {
        LOGFONTA info{};
        ::GetObjectA(manager.GetFont(id), sizeof(info), &info);
        return std::to_string(-info.lfHeight) + "px w" + std::to_string(info.lfWeight) +
               (info.lfUnderline ? " underline " : " ") + info.lfFaceName;
    };
    EXPECT_EQ(font(1) + " | " + font(2) + " | " + font(3),
              "20px w700 underline 微软雅黑 | 14px w400 宋体 | 12px w400 微软雅黑");
    // The font marked default serves every id the skin does not define.
    EXPECT_TRUE(manager.GetFont(7) == manager.GetFont(1) &&
                manager.GetFont(-1) == manager.GetFont(1) &&
                manager.GetFont(0) != manager.GetFont(1));
    // Class defaults, as background colour / fixed size / tooltip / background image; they
    // belong to their class only.
    std::string looks;
    for (const char* name : {"plain", "own", "label"}) {
        CControlUI* c = window.Get(name);
        char color[12];
        std::snprintf(color, sizeof(color), "%08lX", c->GetBkColor());
        looks += std::string(color) + "/" + std::to_string(c->GetFixedWidth()) + "x" +
                 std::to_string(c->GetFixedHeight()) + "/" + c->GetToolTip().str() + "/" +
                 c->GetBkImage().str() + " | ";
    }
    EXPECT_EQ(looks,
              "FF102030/0x24/默认/file='b.png' source='0,0,8,3' | "
              "FF405060/0x30/自己的/file='b.png' source='0,0,8,3' | 00000000/77x0// | ");
}

// A control class the toolkit does not know, made by the window's callback.
struct RecordingContainer : CContainerUI {
    void SetAttribute(const char* pstrName, const char* pstrValue) override {
        seen.push_back(std::string(pstrName) + "=" + pstrValue);
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
    Log seen;
};

struct RecordingCallback final : IDialogBuilderCallback {
    CControlUI* CreateControl(const char* pstrClass) override {
        asked.push_back(pstrClass);
        return std::strcmp(pstrClass, "Recording") == 0 ? new RecordingContainer : nullptr;
    }
    Log asked;
};

TEST(BuilderErrors, MalformedOrMissingSkinsGiveNullAndSayWhy) {
    CDialogBuilder builder;
    // Broken XML, no root control, no text at all, no such file.
    for (const char* broken :
         {R"(<Window><VerticalLayout></Window>)", R"(<Window><Button text="open/></Window>)",
          R"(<Window><Button/></Window><Window/>)", R"(<Window size="10,10">)",
          R"(<Window size="10,10"/>)", "", "no_such_skin_file.xml"}) {
        CPaintManagerUI manager;
        EXPECT_EQ(builder.Create(broken, nullptr, nullptr, &manager), nullptr) << broken;
        EXPECT_FALSE(builder.GetLastError().IsEmpty()) << broken;
    }
    EXPECT_NE(builder.GetLastError().str().find("no_such_skin_file.xml"), std::string::npos);
    // A good build clears the previous fault.
    std::unique_ptr<CControlUI> fine(builder.Create(R"(<Window><Control/></Window>)"));
    EXPECT_TRUE(fine && builder.GetLastError().IsEmpty()) << builder.GetLastError().str();
}

// Classes the toolkit does not know are made by the window's callback, or skipped with all they
// hold and reported, as are children of non-containers and a second root; what follows a skipped
// element is still built, in its place.
TEST(BuilderErrors, UnknownClassesGoToTheCallbackAndWhatNoOneMakesIsSkippedAndReported) {
    RecordingCallback callback;
    BuiltSkin skin(R"(<Window><Default name="Recording" value="height=&quot;33&quot;"/>
      <VerticalLayout name="root">
        <Recording name="custom" width="40"><Button name="child"/></Recording>
        <Gadget name="gadget"><Button name="inside"/><Gizmo><Label name="deeper"/></Gizmo></Gadget>
        <Button name="button"><Label name="refused"><Control name="below"/></Label></Button>
        <Label name="after"/><Widget/>
      </VerticalLayout>
      <Button name="second_root"/></Window>)",
                   &callback);
    ASSERT_NE(skin.root, nullptr) << skin.error();
    auto* custom = static_cast<RecordingContainer*>(skin.Find("custom"));
    ASSERT_TRUE(custom && skin.Find("child") && skin.Find("after"));
    // Class defaults first, then the element's own attributes in order.
    EXPECT_EQ(custom->seen, (Log{"height=33", "name=custom", "width=40"}));
    EXPECT_EQ(callback.asked, (Log{"Recording", "Gadget", "Widget"}));
    EXPECT_EQ(skin.root->GetName().str(), "root");
    for (const char* skipped : {"gadget", "inside", "deeper", "refused", "below", "second_root"})
        EXPECT_EQ(skin.Find(skipped), nullptr) << skipped;
    EXPECT_TRUE(skin.Find("child")->GetParent() == custom &&
                skin.Find("after")->GetParent() == skin.root);
    EXPECT_EQ(skin.root->GetChildCount(), 3);
    EXPECT_EQ(skin.Find("button")->GetChildCount(), 0);
    for (const char* what : {"Gadget", "Widget", "Label", "Button"})
        EXPECT_NE(skin.error().find(what), std::string::npos) << skin.error();
}

// Bytes of ANSI text as UTF-8.
std::string Utf8(const std::string& ansi) {
    std::wstring wide = ui::WidenAnsi(ansi);
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      utf8.data(), static_cast<int>(utf8.size()), nullptr,
                                      nullptr));
    return utf8;
}

// Chinese and mixed texts through every way a text enters the toolkit: skin text given in code (in
// the ANSI code page), skin files in UTF-8 with or without the mark, wherever the text falls
// (across the reader's buffer boundaries too), or in the ANSI code page.
TEST(BuilderSkin, MixedTextsSurviveEveryWayIntoASkin) {
    gatevane::testing::TestFolder folder;
    const std::string resources = CPaintManagerUI::GetResourcePath().str();
    CPaintManagerUI::SetResourcePath((folder.path() + "\\").c_str());
    // The tooltip and text of the control "c", as "tooltip/text".
    auto read = [](const std::string& source) {
        BuiltSkin skin(source.c_str());
        CControlUI* c = skin.Find("c");
        return c ? c->GetToolTip().str() + "/" + c->GetText().str() : "<" + skin.error() + ">";
    };
    for (const std::string text : {"QQ\xB5\xC7\xC2\xBC",
                                   "a\xB5\xC7"
                                   "b\xC2\xBC"
                                   "c"}) {
        EXPECT_EQ(ui::NarrowToAnsi(ui::WidenAnsi(text)), text);
        const std::string element =
            "<Button name=\"c\" tooltip=\"" + text + "\" text=\"" + text + "\"/>";
        const std::string skin = "<Window>" + element + "</Window>";
        const std::string both = text + "/" + text;
        EXPECT_EQ(read(skin), both);
        for (std::size_t padding = 8000; padding < 8200; ++padding) {
            folder.Write("utf8.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" +
                                         Utf8("<Window><VerticalLayout><Control tooltip=\"" +
                                              std::string(padding, 'x') + "\"/>" + element +
                                              "</VerticalLayout></Window>"));
            EXPECT_EQ(read("utf8.xml"), both) << padding;
        }
        folder.Write("marked.xml", "\xEF\xBB\xBF" + Utf8(skin));
        folder.Write("ansi.xml", skin);
        EXPECT_EQ(read("marked.xml") + " " + read("ansi.xml"), both + " " + both);
    }
    CPaintManagerUI::SetResourcePath(resources.c_str());
}

// Inner area 10..170 x 20..260 (240 high); a 50, c 30 + 3 + 4, sized 30 (only the size of a pos
// counts without float) and four gaps of 5 leave 103: 52 for the panel and 51 for d. In the panel
// x and y share 52 - 14 - 3; a floating pos is relative to the panel's corner, not to its inset.
TEST(LayoutAfterPaint, VerticalLayoutStacksFixedStretchedAndFloatingChildren) {
    ShownSkin window(R"(<Window size="200,300">
      <VerticalLayout name="root" inset="10,20,30,40" childpadding="5">
        <Control name="a" height="50"/>
        <VerticalLayout name="panel" inset="7,7,7,7" childpadding="3">
          <Control name="x"/><Control name="y"/><Control name="floating" float="true" pos="5,6,25,36"/>
        </VerticalLayout>
        <Control name="c" height="30" width="60" padding="7,3,0,4"/>
        <Control name="d" padding="0,0,12,0"/><Control name="sized" pos="100,100,160,130"/>
      </VerticalLayout></Window>)");
    ExpectPlaces(window, {"root=0,0,200,300", "a=10,20,170,70", "panel=10,75,170,127",
                          "x=17,82,163,100", "y=17,103,163,120", "floating=15,81,35,111",
                          "c=17,135,77,165", "d=10,174,158,225", "sized=10,230,70,260"});
    EXPECT_EQ(window.manager().FindControl(POINT{20, 90}), window.Get("floating"));
}

TEST(LayoutAfterPaint, HorizontalLayoutStacksAndHiddenChildrenTakeNoSpace) {
    // Inner area 5..285 x 10..80; a 40, c 30 + 3 + 2 and three gaps of 4 leave 193: 97 and 96.
    ShownSkin window(R"(<Window size="300,100">
      <HorizontalLayout inset="5,10,15,20" childpadding="4">
        <Control name="a" width="40"/><Control name="b"/>
        <Control name="c" width="30" height="20" padding="3,6,2,0"/>
        <Control name="d"/><Control name="hidden" width="50" visible="false"/>
      </HorizontalLayout></Window>)");
    ExpectPlaces(window, {"a=5,10,45,80", "b=49,10,146,80", "c=153,16,183,36", "d=189,10,285,80"});
    EXPECT_EQ(window.manager().FindControl(POINT{280, 50}), window.Get("d"));
    // Shown again, it takes its 50 and a gap from the stretched children.
    window.Get("hidden")->SetVisible(true);
    ExpectPlaces(window, {"b=49,10,119,80", "d=162,10,231,80", "hidden=235,10,285,80"});
    // a 40, c 35, hidden 50 and three gaps of 4 leave 143 for d alone.
    window.Get("b")->SetVisible(false);
    ExpectPlaces(window, {"c=52,16,82,36", "d=88,10,231,80", "hidden=235,10,285,80"});
}

// One page shows; SelectItem switches within bounds; pages added or removed before the shown one
// keep it shown.
TEST(LayoutAfterPaint, TabLayoutShowsOnePageAndSelectItemSwitches) {
    ShownSkin window(R"(<Window size="200,100"><TabLayout name="tabs" selectedid="1">
        <VerticalLayout name="p0"><Button name="b0"/></VerticalLayout>
        <VerticalLayout><Button name="b1"/></VerticalLayout>
        <HorizontalLayout><Button name="b2"/><Edit name="e2" text="x"/></HorizontalLayout>
      </TabLayout></Window>)");
    auto* tabs = window.Get<CTabLayoutUI>("tabs");
    // The shown controls, and whether the edit box's native window shows its text.
    auto shown = [&](std::initializer_list<const char*> names) {
        PaintNow(window);
        const bool native = ::IsWindowVisible(window.Get<CEditUI>("e2")->GetNativeWindow());
        return window.Which(names, Shown) + (native ? " +native" : "");
    };
    ExpectPlaces(window, {"b1=0,0,200,100"});
    EXPECT_EQ(shown({"b0", "b1", "b2", "e2"}), "b1");
    ClickAt(window, POINT{50, 50});
    EXPECT_TRUE(tabs->SelectItem(2) && !tabs->SelectItem(3) && !tabs->SelectItem(-1));
    EXPECT_EQ(shown({"b0", "b1", "b2", "e2"}), "b2 e2 +native");
    EXPECT_TRUE(tabs->SelectItem(0));
    EXPECT_EQ(shown({"b0", "b1", "b2", "e2"}), "b0");
    ClickAt(window, POINT{50, 50});
    EXPECT_EQ(window.Clicks(), (Log{"click:b1", "click:b0"}));
    auto* added = new CButtonUI;
    added->SetName("added");
    ASSERT_TRUE(tabs->AddAt(added, 0));
    EXPECT_EQ(shown({"added", "b0", "b1", "b2"}), "b0");
    ASSERT_TRUE(tabs->SelectItem(2) && tabs->Remove(window.Get("p0")));
    EXPECT_EQ(shown({"added", "b1", "b2"}), "b1");
}

// Options of a group keep one selected, whether built, set by code or clicked; only a whole click
// on an enabled, shown button raises click.
TEST(Buttons, OptionsKeepOneOfAGroupAndOnlyAWholeClickOnAnEnabledShownButtonCounts) {
    ShownSkin window(R"(<Window size="400,60"><HorizontalLayout>
        <Option name="r1" group="line" selected="true"/><Option name="r2" group="line" selected="true"/>
        <Option name="r3" group="line"/><Option name="other" group="other" selected="true"/>
        <Button name="ok"/><Button name="cancel"/><Button name="off" enabled="false"/>
        <Button name="gone" width="40" visible="false"/></HorizontalLayout></Window>)");
    const auto options = {"r1", "r2", "r3", "other"};
    EXPECT_EQ(window.Which(options, Chosen), "r2 other") << "built with two, the last one wins";
    window.Get<COptionUI>("r3")->Selected(true);
    PumpFor(50);
    EXPECT_EQ(window.Which(options, Chosen), "r3 other");
    EXPECT_TRUE(window.Only({"click", "selectchanged"}).empty()) << "code selects without a click";
    // A radio button clicked again stays selected.
    Click(window, window.Get("r1"));
    Click(window, window.Get("r1"));
    EXPECT_EQ(window.Which(options, Chosen), "r1 other");
    CControlUI *ok = window.Get("ok"), *cancel = window.Get("cancel");
    Click(window, ok);
    ClickAt(window, Centre(ok), Centre(cancel));  // moved away before the release
    Click(window, window.Get("off"));
    cancel->SetEnabled(false);
    Click(window, cancel);
    // A press that went astray or was refused leaves the next click whole.
    cancel->SetEnabled(true);
    Click(window, cancel);
    EXPECT_EQ(window.Clicks(), (Log{"click:r1", "click:r1", "click:ok", "click:cancel"}));
    // Hidden between press and release, then clicked where it was: no click of its own.
    window.ClearNotifications();
    const POINT at = Centre(cancel);
    ClickAt(window, at, at, [&] { cancel->SetVisible(false); });
    PaintNow(window);
    ClickAt(window, at);
    for (const std::string& click : window.Clicks())
        EXPECT_TRUE(click != "click:cancel" && click != "click:gone") << click;
    // A disabled button is still hit (it swallows the click); nothing is outside the window.
    EXPECT_EQ(window.manager().FindControl(Centre(window.Get("off"))), window.Get("off"));
    EXPECT_EQ(window.manager().FindControl(POINT{400, 30}), nullptr);
}

// Clicks into the edit box and types over all its text; returns the text then.
std::string TypeInto(HWND window, CEditUI* edit, const wchar_t* keys) {
    Click(window, edit);
    ::SendMessageW(edit->GetNativeWindow(), EM_SETSEL, 0, -1);
    for (; *keys; ++keys) ::SendMessageW(edit->GetNativeWindow(), WM_CHAR, *keys, 0);
    return edit->GetText().str();
}

// Clicks and Tab move the focus, kill before set, skipping what cannot take it; typing goes into
// the focused edit box, in the system code page and within its limits; passwords stay masked.
TEST(EditBox, FocusMovesByClickOrTabAndTypedTextKeepsItsCodePageAndLimits) {
    ShownSkin window(R"(<Window size="300,240"><VerticalLayout>
        <Edit name="account" text="登录名"/><Edit name="password" password="true"/>
        <Button name="disabled" enabled="false"/><Edit name="invisible" visible="false"/>
        <Label name="label"/><Edit name="short" maxchar="5"/>
        <Edit name="fixed" readonly="true" text="fixed"/><Button name="logon"/>
      </VerticalLayout></Window>)");
    auto* account = window.Get<CEditUI>("account");
    EXPECT_EQ(account->GetText().str(), "登录名");
    EXPECT_EQ(TypeInto(window, account, L"登录"), "登录");
    EXPECT_EQ(::GetFocus(), account->GetNativeWindow()) << "typing goes into the edit box";
    account->SetText("中文帐号abc");
    wchar_t shown[64] = {};
    ::GetWindowTextW(account->GetNativeWindow(), shown, 64);
    EXPECT_EQ(std::wstring(shown), L"中文帐号abc");
    Click(window, window.Get("logon"));
    EXPECT_EQ(window.Only({"setfocus", "killfocus"}),
              (Log{"setfocus:account", "killfocus:account", "setfocus:logon"}));
    EXPECT_EQ(::GetFocus(), window.GetHWND()) << "keys must reach the focused button, not the edit";
    for (const char* next : {"account", "password", "short", "fixed", "logon", "account"}) {
        ::PostMessageA(::GetFocus() ? ::GetFocus() : window.GetHWND(), WM_KEYDOWN, VK_TAB, 0);
        PumpFor(60);
        CControlUI* focus = window.manager().GetFocus();
        EXPECT_EQ(focus ? focus->GetName().str() : "nothing", next);
    }

    auto* password = window.Get<CEditUI>("password");
    password->SetText("secret密码");
    EXPECT_NE(::SendMessageW(password->GetNativeWindow(), EM_GETPASSWORDCHAR, 0, 0), 0);
    EXPECT_EQ(TypeInto(window, window.Get<CEditUI>("short"), L"abcdefgh"), "abcde");
    auto* fixed = window.Get<CEditUI>("fixed");
    EXPECT_EQ(TypeInto(window, fixed, L"z"), "fixed");
    fixed->SetText("code may");
    EXPECT_EQ(fixed->GetText().str(), "code may");
    fixed->SetReadOnly(false);
    EXPECT_EQ(TypeInto(window, fixed, L"z"), "z");
}

TEST(ProgressBar, TheFillCoversTheValuesShareOfTheRangeAboveTheMinimum) {
    // A 4x4 red 24-bit BMP (rows of 12 bytes need no padding).
    constexpr DWORD kHeaders = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    BITMAPFILEHEADER file{0x4D42, kHeaders + 48, 0, 0, kHeaders};
    BITMAPINFOHEADER info{sizeof(BITMAPINFOHEADER), 4, 4, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::string bitmap = std::string(reinterpret_cast<const char*>(&file), sizeof(file)) +
                         std::string(reinterpret_cast<const char*>(&info), sizeof(info));
    for (int i = 0; i < 16; ++i) bitmap.append("\x00\x00\xFF", 3);
    gatevane::testing::TestFolder folder;
    folder.Write("fill.bmp", bitmap);
    std::string skin = R"(<Window size="200,20"><VerticalLayout><Progress name="bar" min="10" )"
                       R"(max="50" value="20" bkcolor="#FFFFFFFF" foreimage=")" +
                       folder.Path("fill.bmp") + R"("/></VerticalLayout></Window>)";
    ShownSkin window(skin.c_str());
    // R for the fill's red, W for the bar's white.
    gatevane::WindowDc dc(window);
    std::string seen;
    for (int x : {10, 48, 52}) {
        COLORREF pixel = ::GetPixel(dc.get(), x, 2);
        seen += pixel == RGB(255, 0, 0) ? 'R' : pixel == RGB(255, 255, 255) ? 'W' : '?';
    }
    EXPECT_EQ(seen, "RRW") << "20 in 10..50 fills a quarter of 200 px";
}

// A dialog of one button whose click, posted now, arrives once its modal loop runs. A timer
// bounds the loop: the window goes away if the case never ends it.
class ModalDialog : public ShownSkin {
public:
    explicit ModalDialog(HWND owner)
        : ShownSkin(R"(<Window size="200,80"><Button name="act"/></Window>)", owner) {
        ::SetTimer(*this, 1, 5000, &DestroyOnTimer);
        ::PostMessageA(*this, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 40));
        ::PostMessageA(*this, WM_LBUTTONUP, 0, MAKELPARAM(100, 40));
    }

private:
    static void CALLBACK DestroyOnTimer(HWND window, UINT, UINT_PTR, DWORD) {
        ::DestroyWindow(window);
    }
};

// Sends WM_CLOSE while a stretch of this frame is filled with a pattern: a window that still
// points at the stack of a modal loop that already returned writes its close code there.
__attribute__((noinline)) bool CloseLeavesTheStackAlone(CWindowWnd& window) {
    constexpr UINT kPattern = 0xA5A5A5A5u;
    volatile UINT guard[512];
    for (volatile UINT& slot : guard) slot = kPattern;
    window.SendMessage(WM_CLOSE, 0x77);
    for (volatile UINT& slot : guard)
        if (slot != kPattern) return false;
    return true;
}

TEST(ModalLoop, EndsWithTheCodeGivenToCloseOrForAQuitAndGivesTheOwnerBack) {
    ShownSkin owner(R"(<Window size="200,100"><Control/></Window>)");
    bool ownerEnabledDuring = true;
    ModalDialog closing(owner);
    closing.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType != DUI_MSGTYPE_CLICK) return;
        ownerEnabledDuring = ::IsWindowEnabled(owner) != FALSE;
        closing.Close(42);
    };
    EXPECT_EQ(closing.ShowModal(), 42u);
    EXPECT_TRUE(!ownerEnabledDuring && ::IsWindowEnabled(owner));
    // A quit message ends the loop and is posted again for the outer loop.
    ModalDialog quitting(owner);
    quitting.onNotify = [](TNotifyUI& msg) {
        if (msg.sType == DUI_MSGTYPE_CLICK) ::PostQuitMessage(5);
    };
    quitting.ShowModal();
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_TRUE(::IsWindow(quitting.GetHWND())) << "the loop ended for the quit, not a close";
    MSG quit{};
    EXPECT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 5u);
    // The window lives on after its loop: closing it later must not touch the loop's stack.
    EXPECT_TRUE(CloseLeavesTheStackAlone(quitting));
    EXPECT_FALSE(::IsWindow(quitting.GetHWND()));
}

TEST(DelayedFree, ControlsRemovedByTheirOwnClickAreFreedAfterItAndOthersAtOnce) {
    ShownSkin window(R"(<Window size="300,120"><VerticalLayout name="root">
        <HorizontalLayout name="row" height="60"><VerticalLayout name="cell"/></HorizontalLayout>
      </VerticalLayout></Window>)");
    Log log;
    for (auto [parent, name] :
         {std::pair{"cell", "remove"}, {"row", "neighbour"}, {"root", "other"}}) {
        window.Get<CContainerUI>(parent)->Add(std::make_unique<Logged<CButtonUI>>(log, name));
    }
    PaintNow(window);
    window.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType != DUI_MSGTYPE_CLICK || msg.pSender->GetName() != "remove") return;
        log.push_back("click-begin");
        static_cast<CContainerUI*>(msg.pSender->GetParent()->GetParent())->RemoveAll();
        // The sender is still whole here.
        log.push_back("click-end:" + msg.pSender->GetName().str());
    };
    Click(window, window.Get("remove"));
    EXPECT_EQ(log, (Log{"click-begin", "click-end:remove", "freed:remove", "freed:neighbour"}));
    EXPECT_EQ(window.Find("remove"), nullptr);
    EXPECT_EQ(window.manager().GetFocus(), nullptr) << "the pressed button had the focus";
    // The window goes on working where the removed controls were.
    PaintNow(window);
    ClickAt(window, POINT{150, 30});
    Click(window, window.Get("other"));
    EXPECT_EQ(window.Clicks(), (Log{"click:remove", "click:other"}));
    // Removed outside any dispatch, a control is freed at once and takes the focus with it.
    window.Get<CContainerUI>("root")->Remove(window.Get("other"));
    EXPECT_EQ(log.back(), "freed:other");
    EXPECT_EQ(window.manager().GetFocus(), nullptr);
}

// A skinned window as the launcher's windows are made: a WindowImplBase with its skin.
class ProbeWindow : public WindowImplBase {
public:
    explicit ProbeWindow(const char* skin, bool keepOpenOnEscape = false)
        : skin_(skin), keepOpenOnEscape_(keepOpenOnEscape) {}
    ~ProbeWindow() override {
        if (::IsWindow(window_)) ::DestroyWindow(window_);
    }
    HWND Open() { return Create(nullptr, "probe", WS_POPUP | WS_VISIBLE, 0, 100, 100, 300, 200); }
    CControlUI* Find(const char* name) { return paintManager_.FindControl(name); }

protected:
    const char* GetWindowClassName() const override { return "GatevaneProbeWindow"; }
    CDuiString GetSkinFolder() override { return CPaintManagerUI::GetResourcePath(); }
    CDuiString GetSkinFile() override { return skin_; }
    bool ResponseDefaultKeyEvent(WPARAM wParam) override {
        return (wParam == VK_ESCAPE && keepOpenOnEscape_) ||
               WindowImplBase::ResponseDefaultKeyEvent(wParam);
    }

private:
    const char* skin_;
    bool keepOpenOnEscape_;
};

constexpr const char* kImplSkin = R"(<Window size="300,200" caption="0,0,0,40"><VerticalLayout>
    <HorizontalLayout height="40"><Label name="title" width="100"/><Option name="tab" width="60"/>
      <Edit name="edit" width="60"/><Button name="close"/></HorizontalLayout><Control/>
  </VerticalLayout></Window>)";

// Whether Escape, pressed in the window or typed into its edit box, closes it.
bool EscapeCloses(bool keepOpen, bool inEditBox) {
    ProbeWindow window(kImplSkin, keepOpen);
    if (!window.Open()) return false;
    PaintNow(window);
    HWND keys = window;
    if (inEditBox) {
        Click(window, window.Find("edit"));
        keys = static_cast<CEditUI*>(window.Find("edit"))->GetNativeWindow();
    }
    ::PostMessageA(keys, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpFor(400, [&] { return !::IsWindow(window.GetHWND()); });
    return !::IsWindow(window.GetHWND());
}

// Escape closes the window unless it keeps it; the caption band drags except over buttons and
// inputs (an option is a button too: a tab or check box in the band takes its click); a skin
// that cannot be loaded makes Create fail.
TEST(ImplBase, EscapeClosesTheCaptionDragsAndABadSkinFailsCreate) {
    EXPECT_TRUE(EscapeCloses(false, false) && EscapeCloses(false, true) &&
                !EscapeCloses(true, false));

    ProbeWindow window(kImplSkin);
    ASSERT_NE(window.Open(), nullptr);
    PaintNow(window);
    std::string hits;
    for (const char* name : {"title", "close", "tab", "edit"}) {
        POINT pt = Centre(window.Find(name));
        ::ClientToScreen(window, &pt);
        hits += std::to_string(::SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)));
    }
    EXPECT_EQ(hits, std::to_string(HTCAPTION) + "111") << "HTCLIENT is 1";
    ProbeWindow broken("<Window><VerticalLayout></Window>");
    EXPECT_TRUE(broken.Open() == nullptr && broken.GetHWND() == nullptr);
}

}  // namespace
