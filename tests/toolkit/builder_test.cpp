// The toolkit as skin authors and window authors use it: skins built into real windows, laid out
// by a real paint, and driven by mouse and key messages posted the way the system delivers them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/test_folder.h"
#include "tests/toolkit/skin_test_window.h"
#include "toolkit/button.h"
#include "toolkit/container.h"
#include "toolkit/dialog_builder.h"
#include "toolkit/edit.h"
#include "toolkit/option.h"
#include "toolkit/progress.h"
#include "toolkit/window_impl_base.h"

namespace {

using Log = std::vector<std::string>;

std::string Rect(const RECT& rc) {
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) +
           "," + std::to_string(rc.bottom);
}

std::string PosOf(CControlUI* control) {
    return control ? Rect(control->GetPos()) : "no such control";
}

std::string TextOf(CControlUI* control) {
    return control ? control->GetText().str() : "no such control";
}

POINT Centre(CControlUI* control) {
    const RECT& rc = control->GetPos();
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

LPARAM At(POINT pt) {
    return MAKELPARAM(pt.x, pt.y);
}

// A left click as the system delivers it: the pointer moves to `down`, the button goes down
// there and comes up at `up`.
void Click(HWND window, POINT down, POINT up) {
    POINT screen = down;
    ::ClientToScreen(window, &screen);
    ::SetCursorPos(screen.x, screen.y);
    ::PostMessageA(window, WM_MOUSEMOVE, 0, At(down));
    ::PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, At(down));
    if (up.x != down.x || up.y != down.y) {
        ::PostMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, At(up));
    }
    ::PostMessageA(window, WM_LBUTTONUP, 0, At(up));
    PumpFor(100);
}

void Click(HWND window, CControlUI* control) {
    ASSERT_NE(control, nullptr);
    Click(window, Centre(control), Centre(control));
}

// The notifications of the given types, in order.
Log Only(const Log& all, std::initializer_list<const char*> types) {
    Log kept;
    for (const std::string& entry : all) {
        for (const char* type : types) {
            if (entry.rfind(std::string(type) + ":", 0) == 0) kept.push_back(entry);
        }
    }
    return kept;
}

int Count(const Log& log, const std::string& entry) {
    return static_cast<int>(std::count(log.begin(), log.end(), entry));
}

// Bounds every modal loop of these tests: the window goes away if the case never ends it.
void CALLBACK DestroyOnTimer(HWND window, UINT, UINT_PTR, DWORD) {
    ::DestroyWindow(window);
}

void GiveUpAfter(HWND window, UINT ms) {
    ::SetTimer(window, 0x6A7E, ms, &DestroyOnTimer);
}

// A skin built without a window, as a preview tool builds one; the manager owns the tree.
class BuiltSkin {
public:
    explicit BuiltSkin(const char* xml, IDialogBuilderCallback* callback = nullptr) {
        root_ = builder_.Create(xml, nullptr, callback, &manager_);
        manager_.AttachDialog(root_);
    }
    CControlUI* root() const { return root_; }
    CControlUI* Find(const char* name) const { return manager_.FindControl(name); }
    std::string error() const { return builder_.GetLastError().str(); }
    CPaintManagerUI& manager() { return manager_; }

private:
    CPaintManagerUI manager_;
    CDialogBuilder builder_;
    CControlUI* root_ = nullptr;
};

// A button that writes its end into a log, to see when the toolkit frees it.
class LoggedButton : public CButtonUI {
public:
    explicit LoggedButton(Log& log) : log_(log) {}
    ~LoggedButton() override { log_.push_back("freed:" + GetName().str()); }

private:
    Log& log_;
};

// A skinned window as the launcher's windows are made: a WindowImplBase with its skin, creating
// the LoggedButton class the toolkit does not know and recording its notifications.
class ProbeWindow : public WindowImplBase {
public:
    ProbeWindow(const char* skin, Log& freed) : skin_(skin), freed_(freed) {}
    ~ProbeWindow() override {
        if (::IsWindow(window_)) ::DestroyWindow(window_);
    }

    HWND Open() { return Create(nullptr, "probe", WS_POPUP | WS_VISIBLE, 0, 100, 100, 300, 200); }
    CPaintManagerUI& manager() { return m_PaintManager; }
    const Log& notifications() const { return notifications_; }
    std::function<void(TNotifyUI&)> onNotify;
    bool keepOpenOnEscape = false;

    void Notify(TNotifyUI& msg) override {
        notifications_.push_back(msg.sType.str() + ":" +
                                 (msg.pSender ? msg.pSender->GetName().str() : ""));
        if (onNotify) onNotify(msg);
    }
    CControlUI* CreateControl(const char* pstrClass) override {
        return std::strcmp(pstrClass, "LoggedButton") == 0 ? new LoggedButton(freed_) : nullptr;
    }

protected:
    const char* GetWindowClassName() const override { return "GatevaneProbeWindow"; }
    CDuiString GetSkinFolder() override { return CPaintManagerUI::GetResourcePath(); }
    CDuiString GetSkinFile() override { return skin_; }
    bool ResponseDefaultKeyEvent(WPARAM wParam) override {
        if (wParam == VK_ESCAPE && keepOpenOnEscape) return true;
        return WindowImplBase::ResponseDefaultKeyEvent(wParam);
    }

private:
    const char* skin_;
    Log& freed_;
    Log notifications_;
};

// ---- Building from XML -------------------------------------------------------------------------

TEST(BuilderWindow, SizeCaptionAndCornersReachTheManagerAndTheWindow) {
    SkinTestWindow window(R"(<Window size="320,240" caption="0,0,0,40" roundcorner="6,8">
                               <VerticalLayout name="root"/></Window>)");
    ASSERT_TRUE(window.built());
    SIZE size = window.manager().GetInitSize();
    EXPECT_EQ(size.cx, 320);
    EXPECT_EQ(size.cy, 240);
    EXPECT_EQ(Rect(window.manager().GetCaptionRect()), "0,0,0,40");
    EXPECT_EQ(window.manager().GetRoundCorner().cx, 6);
    EXPECT_EQ(window.manager().GetRoundCorner().cy, 8);

    RECT frame;
    ::GetWindowRect(window, &frame);
    EXPECT_EQ(frame.right - frame.left, 320);
    EXPECT_EQ(frame.bottom - frame.top, 240);
    PaintNow(window);
    EXPECT_EQ(PosOf(window.Find<CControlUI>("root")), "0,0,320,240");
}

TEST(BuilderWindow, MissingAttributesGetTheirDefaults) {
    SkinTestWindow window(R"(<Window><VerticalLayout>
        <Button name="button"/><Option name="option"/><Edit name="edit"/>
        <Progress name="progress"/>
        <TabLayout name="tabs"><Control name="page0"/><Control name="page1"/></TabLayout>
      </VerticalLayout></Window>)");
    ASSERT_TRUE(window.built());
    EXPECT_EQ(window.manager().GetInitSize().cx, 0);
    EXPECT_EQ(Rect(window.manager().GetCaptionRect()), "0,0,0,0");
    EXPECT_EQ(window.manager().GetRoundCorner().cx, 0);
    // Without a size the window keeps the size it was created with.
    RECT frame;
    ::GetWindowRect(window, &frame);
    EXPECT_EQ(frame.right - frame.left, 400);

    auto* button = window.Find<CButtonUI>("button");
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->IsVisible());
    EXPECT_TRUE(button->IsEnabled());
    EXPECT_TRUE(button->IsMouseEnabled());
    EXPECT_FALSE(button->IsFloat());
    EXPECT_EQ(button->GetFixedWidth(), 0);
    EXPECT_EQ(button->GetFixedHeight(), 0);
    EXPECT_EQ(button->GetPadding(), ui::Box{});
    EXPECT_EQ(button->GetBkColor(), 0u);
    EXPECT_EQ(TextOf(button), "");
    EXPECT_TRUE(button->GetToolTip().IsEmpty());

    auto* option = window.Find<COptionUI>("option");
    ASSERT_NE(option, nullptr);
    EXPECT_FALSE(option->IsSelected());
    EXPECT_TRUE(option->GetGroup().IsEmpty());
    auto* edit = window.Find<CEditUI>("edit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetMaxChar(), 255);
    EXPECT_FALSE(edit->IsPasswordMode());
    EXPECT_FALSE(edit->IsReadOnly());
    auto* progress = window.Find<CProgressUI>("progress");
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->GetMinValue(), 0);
    EXPECT_EQ(progress->GetMaxValue(), 100);
    EXPECT_EQ(progress->GetValue(), 0);
    auto* tabs = window.Find<CTabLayoutUI>("tabs");
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->GetCurSel(), 0);
    // With no font in the skin, text falls back to the system's.
    EXPECT_EQ(window.manager().GetFont(0), ::GetStockObject(DEFAULT_GUI_FONT));
}

LOGFONTA FontOf(HFONT font) {
    LOGFONTA info{};
    ::GetObjectA(font, sizeof(info), &info);
    return info;
}

TEST(BuilderSkin, FontsAreKeptByIdAndTheDefaultOneStandsInForUnknownIds) {
    BuiltSkin skin(R"(<Window>
        <Font id="0" name="微软雅黑" size="12"/>
        <Font id="1" name="微软雅黑" size="20" bold="true" underline="true" default="true"/>
        <Font id="2" name="宋体" size="14"/>
        <Font id="3" name="微软雅黑"/>
        <Label name="label"/></Window>)");
    ASSERT_NE(skin.root(), nullptr) << skin.error();
    CPaintManagerUI& manager = skin.manager();

    LOGFONTA big = FontOf(manager.GetFont(1));
    EXPECT_EQ(big.lfHeight, -20);
    EXPECT_EQ(big.lfWeight, FW_BOLD);
    EXPECT_TRUE(big.lfUnderline);
    EXPECT_EQ(std::string(big.lfFaceName), "微软雅黑");
    LOGFONTA plain = FontOf(manager.GetFont(2));
    EXPECT_EQ(plain.lfHeight, -14);
    EXPECT_EQ(plain.lfWeight, FW_NORMAL);
    EXPECT_FALSE(plain.lfUnderline);
    EXPECT_EQ(std::string(plain.lfFaceName), "宋体");
    EXPECT_EQ(FontOf(manager.GetFont(3)).lfHeight, -12) << "a font without a size is 12 px";

    // The font marked default serves every id the skin does not define.
    EXPECT_EQ(manager.GetFont(7), manager.GetFont(1));
    EXPECT_EQ(manager.GetFont(-1), manager.GetFont(1));
    EXPECT_NE(manager.GetFont(0), manager.GetFont(1));
}

TEST(BuilderSkin, ClassDefaultsApplyFirstAndTheControlsOwnAttributesWin) {
    BuiltSkin skin(R"(<Window>
        <Default name="Button" value="bkcolor=&quot;#FF102030&quot; height=&quot;24&quot; tooltip=&quot;默认提示&quot; bkimage=&quot;file='btn.png' source='0,0,80,30'&quot;"/>
        <Default name="Label" value="width=&quot;77&quot;"/>
        <VerticalLayout>
          <Button name="plain"/>
          <Button name="own" bkcolor="#FF405060" height="30" tooltip="自己的"/>
          <Label name="label"/>
          <Label name="wide" width="90"/>
        </VerticalLayout></Window>)");
    ASSERT_NE(skin.root(), nullptr) << skin.error();
    CControlUI* plain = skin.Find("plain");
    CControlUI* own = skin.Find("own");
    CControlUI* label = skin.Find("label");
    ASSERT_TRUE(plain && own && label && skin.Find("wide"));

    EXPECT_EQ(plain->GetBkColor(), 0xFF102030u);
    EXPECT_EQ(plain->GetFixedHeight(), 24);
    EXPECT_EQ(plain->GetToolTip().str(), "默认提示");
    EXPECT_EQ(plain->GetBkImage().str(), "file='btn.png' source='0,0,80,30'");

    EXPECT_EQ(own->GetBkColor(), 0xFF405060u);
    EXPECT_EQ(own->GetFixedHeight(), 30);
    EXPECT_EQ(own->GetToolTip().str(), "自己的");
    EXPECT_EQ(own->GetBkImage().str(), "file='btn.png' source='0,0,80,30'");

    // Defaults belong to their class only.
    EXPECT_EQ(label->GetFixedWidth(), 77);
    EXPECT_EQ(label->GetBkColor(), 0u);
    EXPECT_EQ(label->GetFixedHeight(), 0);
    EXPECT_EQ(skin.Find("wide")->GetFixedWidth(), 90);
}

TEST(BuilderSkin, NestedLayoutsBecomeTheSameTree) {
    SkinTestWindow window(R"(<Window size="300,200"><VerticalLayout name="root">
        <HorizontalLayout name="row">
          <VerticalLayout name="column"><Button name="deep" text="深处"/></VerticalLayout>
          <Label name="beside"/>
        </HorizontalLayout>
        <Container name="box"><Control name="inner"/></Container>
      </VerticalLayout></Window>)");
    ASSERT_TRUE(window.built());
    CControlUI* root = window.manager().GetRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName().str(), "root");
    EXPECT_EQ(root->GetParent(), nullptr);

    struct Link {
        const char* child;
        const char* parent;
        const char* cls;
    };
    for (const Link& link :
         {Link{"row", "root", "HorizontalLayoutUI"}, Link{"column", "row", "VerticalLayoutUI"},
          Link{"deep", "column", "ButtonUI"}, Link{"beside", "row", "LabelUI"},
          Link{"box", "root", "ContainerUI"}, Link{"inner", "box", "ControlUI"}}) {
        CControlUI* child = window.manager().FindControl(link.child);
        ASSERT_NE(child, nullptr) << link.child;
        ASSERT_NE(child->GetParent(), nullptr) << link.child;
        EXPECT_EQ(child->GetParent()->GetName().str(), link.parent) << link.child;
        EXPECT_STREQ(child->GetClass(), link.cls) << link.child;
        EXPECT_EQ(child->GetManager(), &window.manager()) << link.child;
    }
    EXPECT_EQ(root->GetChildCount(), 2);
    EXPECT_EQ(window.Find<CControlUI>("row")->GetChildCount(), 2);
    EXPECT_EQ(TextOf(window.Find<CControlUI>("deep")), "深处");
}

TEST(BuilderErrors, UnknownClassesAreSkippedWithTheirChildrenAndReported) {
    BuiltSkin skin(R"(<Window><VerticalLayout name="root">
        <Button name="before"/>
        <Gadget name="gadget" text="x">
          <Button name="inside"/>
          <Gizmo><Label name="deeper"/></Gizmo>
          <Label name="inside2"/>
        </Gadget>
        <Label name="after"/>
        <Widget/>
        <HorizontalLayout name="last"><Control name="lastchild"/></HorizontalLayout>
      </VerticalLayout></Window>)");
    ASSERT_NE(skin.root(), nullptr) << skin.error();
    for (const char* built : {"before", "after", "last", "lastchild"}) {
        EXPECT_NE(skin.Find(built), nullptr) << built;
    }
    for (const char* skipped : {"gadget", "inside", "deeper", "inside2"}) {
        EXPECT_EQ(skin.Find(skipped), nullptr) << skipped;
    }
    EXPECT_EQ(skin.root()->GetChildCount(), 3);
    EXPECT_EQ(skin.Find("lastchild")->GetParent(), skin.Find("last"));
    EXPECT_NE(skin.error().find("Gadget"), std::string::npos) << skin.error();
    EXPECT_NE(skin.error().find("Widget"), std::string::npos) << skin.error();
}

// A control class the toolkit does not know, made by the window's callback.
class RecordingContainer : public CContainerUI {
public:
    const char* GetClass() const override { return "RecordingUI"; }
    void SetAttribute(const char* pstrName, const char* pstrValue) override {
        seen.push_back(std::string(pstrName) + "=" + pstrValue);
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
    Log seen;
};

class RecordingCallback final : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const char* pstrClass) override {
        asked.push_back(pstrClass);
        return std::strcmp(pstrClass, "Recording") == 0 ? new RecordingContainer : nullptr;
    }
    Log asked;
};

TEST(BuilderSkin, TheCallbackMakesClassesTheToolkitDoesNotKnow) {
    RecordingCallback callback;
    BuiltSkin skin(R"(<Window>
        <Default name="Recording" value="height=&quot;33&quot;"/>
        <VerticalLayout>
          <Recording name="custom" width="40"><Button name="child"/></Recording>
          <Unheard name="unheard"/>
        </VerticalLayout></Window>)",
                   &callback);
    ASSERT_NE(skin.root(), nullptr) << skin.error();
    auto* custom = static_cast<RecordingContainer*>(skin.Find("custom"));
    ASSERT_NE(custom, nullptr);
    EXPECT_STREQ(custom->GetClass(), "RecordingUI");
    EXPECT_EQ(custom->seen, (Log{"height=33", "name=custom", "width=40"}));
    EXPECT_EQ(custom->GetFixedHeight(), 33);
    ASSERT_NE(skin.Find("child"), nullptr);
    EXPECT_EQ(skin.Find("child")->GetParent(), custom);
    // Only the classes the toolkit does not know are asked for.
    EXPECT_EQ(callback.asked, (Log{"Recording", "Unheard"}));
    EXPECT_NE(skin.error().find("Unheard"), std::string::npos) << skin.error();
}

TEST(BuilderErrors, MalformedOrMissingSkinsGiveNullAndSayWhy) {
    for (const char* broken : {
             R"(<Window><VerticalLayout></Window>)",
             R"(<Window><Button text="open/></Window>)",
             R"(<Window><Button/></Window><Window/>)",
             R"(<Window size="10,10">)",
         }) {
        CPaintManagerUI manager;
        CDialogBuilder builder;
        EXPECT_EQ(builder.Create(broken, nullptr, nullptr, &manager), nullptr) << broken;
        EXPECT_FALSE(builder.GetLastError().IsEmpty()) << broken;
    }
    CDialogBuilder builder;
    EXPECT_EQ(builder.Create("no_such_skin_file.xml"), nullptr);
    EXPECT_NE(builder.GetLastError().str().find("no_such_skin_file.xml"), std::string::npos);
    EXPECT_EQ(builder.Create(""), nullptr);
    EXPECT_FALSE(builder.GetLastError().IsEmpty());
    EXPECT_EQ(builder.Create(R"(<Window size="10,10"/>)"), nullptr);
    EXPECT_FALSE(builder.GetLastError().IsEmpty());
    // A good build clears the previous fault.
    CControlUI* fine = builder.Create(R"(<Window><Control/></Window>)");
    EXPECT_NE(fine, nullptr);
    EXPECT_TRUE(builder.GetLastError().IsEmpty()) << builder.GetLastError().str();
    delete fine;
}

TEST(BuilderErrors, AControlInsideANonContainerIsRefused) {
    BuiltSkin skin(R"(<Window><VerticalLayout name="root">
        <Button name="button"><Label name="refused"><Control name="below"/></Label></Button>
        <Label name="after"/>
      </VerticalLayout>
      <Button name="second_root"/></Window>)");
    ASSERT_NE(skin.root(), nullptr) << skin.error();
    EXPECT_EQ(skin.root()->GetName().str(), "root");
    EXPECT_EQ(skin.Find("refused"), nullptr);
    EXPECT_EQ(skin.Find("below"), nullptr);
    EXPECT_EQ(skin.Find("second_root"), nullptr);
    ASSERT_NE(skin.Find("after"), nullptr);
    EXPECT_EQ(skin.Find("after")->GetParent(), skin.root());
    EXPECT_EQ(skin.Find("button")->GetChildCount(), 0);
    EXPECT_NE(skin.error().find("Label"), std::string::npos) << skin.error();
    EXPECT_NE(skin.error().find("Button"), std::string::npos) << skin.error();
}

// ---- Layout after a paint ----------------------------------------------------------------------

TEST(LayoutAfterPaint, VerticalLayoutStacksFixedAndStretchedChildren) {
    // Inner area 10..170 x 20..260 (240 high); a 50, c 30 + 3 + 4 and three gaps of 5 leave 138,
    // 69 for each of b and d.
    SkinTestWindow window(R"(<Window size="200,300">
      <VerticalLayout name="root" inset="10,20,30,40" childpadding="5">
        <Control name="a" height="50"/>
        <Control name="b"/>
        <Control name="c" height="30" width="60" padding="7,3,0,4"/>
        <Control name="d" padding="0,0,12,0"/>
      </VerticalLayout></Window>)");
    ASSERT_TRUE(window.built());
    PaintNow(window);
    EXPECT_EQ(PosOf(window.Find<CControlUI>("root")), "0,0,200,300");
    EXPECT_EQ(PosOf(window.Find<CControlUI>("a")), "10,20,170,70");
    EXPECT_EQ(PosOf(window.Find<CControlUI>("b")), "10,75,170,144");
    EXPECT_EQ(PosOf(window.Find<CControlUI>("c")), "17,152,77,182");
    EXPECT_EQ(PosOf(window.Find<CControlUI>("d")), "10,191,158,260");
}

TEST(LayoutAfterPaint, HorizontalLayoutStacksAndHiddenChildrenTakeNoSpace) {
    // Inner area 5..285 x 10..80; a 40, c 30 + 3 + 2 and three gaps of 4 leave 193: 97 and 96.
    SkinTestWindow window(R"(<Window size="300,100">
      <HorizontalLayout inset="5,10,15,20" childpadding="4">
        <Control name="a" width="40"/>
        <Control name="b"/>
        <Control name="c" width="30" height="20" padding="3,6,2,0"/>
        <Control name="d"/>
        <Control name="hidden" width="50" visible="false"/>
      </HorizontalLayout></Window>)");
    ASSERT_TRUE(window.built());
    PaintNow(window);
    EXPECT_EQ(PosOf(window.Find<CControlUI>("a")), "5,10,45,80");
    EXPECT_EQ(PosOf(window.Find<CControlUI>("b")), "49,10,146,80");
    EXPECT_EQ(PosOf(window.Find<CControlUI>("c")), "153,16,183,36");
    EXPECT_EQ(PosOf(window.Find<CControlUI>("d")), "189,10,285,80");
    CControlUI* hidden = window.Find<CControlUI>("hidden");
    ASSERT_NE(hidden, nullptr);
    EXPECT_FALSE(hidden->IsVisible());
    EXPECT_EQ(window.manager().FindControl(POINT{280, 50}), window.Find<CControlUI>("d"));

    // Shown again, it takes its 50 and a gap from the stretched children.
    hidden->SetVisible(true);
    PaintNow(window);
    EXPECT_EQ(PosOf(window.Find<CControlUI>("b")), "49,10,119,80");
    EXPECT_EQ(PosOf(window.Find<CControlUI>("d")), "162,10,231,80");
    EXPECT_EQ(PosOf(hidden), "235,10,285,80");

    window.Find<CControlUI>("b")->SetVisible(false);
    PaintNow(window);
    // a 40, c 35, hidden 50 and three gaps of 4 leave 143 for d alone.
    EXPECT_EQ(PosOf(window.Find<CControlUI>("c")), "52,16,82,36");
    EXPECT_EQ(PosOf(window.Find<CControlUI>("d")), "88,10,231,80");
    EXPECT_EQ(PosOf(hidden), "235,10,285,80");
}

TEST(LayoutAfterPaint, FloatingChildrenSitAtTheirPosAndTakeNoSpace) {
    SkinTestWindow window(R"(<Window size="200,200">
      <VerticalLayout inset="10,10,10,10">
        <Control name="top" height="50"/>
        <VerticalLayout name="panel" inset="7,7,7,7" childpadding="3">
          <Control name="x"/>
          <Control name="y"/>
          <Control name="floating" float="true" pos="5,6,25,36"/>
        </VerticalLayout>
        <Control name="sized" pos="100,100,160,130"/>
      </VerticalLayout></Window>)");
    ASSERT_TRUE(window.built());
    PaintNow(window);
    EXPECT_EQ(PosOf(window.Find<CControlUI>("top")), "10,10,190,60");
    // Without float only the size of pos counts: 60 x 30 where the layout puts it.
    EXPECT_EQ(PosOf(window.Find<CControlUI>("sized")), "10,160,70,190");
    EXPECT_EQ(PosOf(window.Find<CControlUI>("panel")), "10,60,190,160");
    // The panel's inner 86 px are shared by x and y alone: 42 and 41 around a gap of 3.
    EXPECT_EQ(PosOf(window.Find<CControlUI>("x")), "17,67,183,109");
    EXPECT_EQ(PosOf(window.Find<CControlUI>("y")), "17,112,183,153");
    // Relative to the panel's top-left corner, not to its inset.
    EXPECT_EQ(PosOf(window.Find<CControlUI>("floating")), "15,66,35,96");
    EXPECT_EQ(window.manager().FindControl(POINT{20, 80}), window.Find<CControlUI>("floating"));
}

TEST(LayoutAfterPaint, TabLayoutShowsOnePageAndSelectItemSwitches) {
    SkinTestWindow window(R"(<Window size="200,100">
      <TabLayout name="tabs" selectedid="1">
        <VerticalLayout name="page0"><Button name="b0"/></VerticalLayout>
        <VerticalLayout name="page1"><Button name="b1"/></VerticalLayout>
        <HorizontalLayout name="page2"><Button name="b2"/><Edit name="e2" text="x"/></HorizontalLayout>
      </TabLayout></Window>)");
    ASSERT_TRUE(window.built());
    PaintNow(window);
    auto* tabs = window.Find<CTabLayoutUI>("tabs");
    CControlUI* b0 = window.Find<CControlUI>("b0");
    CControlUI* b1 = window.Find<CControlUI>("b1");
    CControlUI* b2 = window.Find<CControlUI>("b2");
    auto* e2 = window.Find<CEditUI>("e2");
    ASSERT_TRUE(tabs && b0 && b1 && b2 && e2);

    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_FALSE(b0->IsVisible());
    EXPECT_TRUE(b1->IsVisible());
    EXPECT_FALSE(b2->IsVisible());
    EXPECT_FALSE(e2->IsVisible());
    EXPECT_EQ(PosOf(b1), "0,0,200,100");
    EXPECT_EQ(window.manager().FindControl(POINT{50, 50}), b1);
    Click(window, POINT{50, 50}, POINT{50, 50});
    EXPECT_EQ(Only(window.notifications(), {"click"}), (Log{"click:b1"}));

    EXPECT_TRUE(tabs->SelectItem(2));
    PaintNow(window);
    EXPECT_EQ(tabs->GetCurSel(), 2);
    EXPECT_FALSE(b1->IsVisible());
    EXPECT_TRUE(b2->IsVisible());
    EXPECT_TRUE(e2->IsVisible());
    EXPECT_EQ(window.manager().FindControl(POINT{50, 50}), b2);
    EXPECT_TRUE(::IsWindowVisible(e2->GetNativeWindow())) << "the shown page's edit shows its text";

    EXPECT_FALSE(tabs->SelectItem(3));
    EXPECT_FALSE(tabs->SelectItem(-1));
    EXPECT_EQ(tabs->GetCurSel(), 2);

    EXPECT_TRUE(tabs->SelectItem(0));
    PaintNow(window);
    EXPECT_TRUE(b0->IsVisible());
    EXPECT_FALSE(b2->IsVisible());
    EXPECT_FALSE(::IsWindowVisible(e2->GetNativeWindow())) << "a hidden page's edit box shows";
    window.ClearNotifications();
    Click(window, Centre(b2), Centre(b2));
    EXPECT_EQ(Only(window.notifications(), {"click"}), (Log{"click:b0"}));
}

TEST(LayoutAfterPaint, PagesAddedOrRemovedBeforeTheShownOneKeepItShown) {
    SkinTestWindow window(R"(<Window size="200,100"><HorizontalLayout>
      <TabLayout name="adding" selectedid="1"><Button name="a0"/><Button name="a1"/></TabLayout>
      <TabLayout name="removing" selectedid="1">
        <Button name="r0"/><Button name="r1"/><Button name="r2"/>
      </TabLayout></HorizontalLayout></Window>)");
    ASSERT_TRUE(window.built());
    auto* adding = window.Find<CTabLayoutUI>("adding");
    auto* removing = window.Find<CTabLayoutUI>("removing");
    CControlUI* a1 = window.Find<CControlUI>("a1");
    CControlUI* r1 = window.Find<CControlUI>("r1");
    ASSERT_TRUE(adding && removing && a1 && r1);

    auto* added = new CButtonUI;
    ASSERT_TRUE(adding->AddAt(added, 0));
    ASSERT_TRUE(removing->Remove(window.Find<CControlUI>("r0")));
    PaintNow(window);
    EXPECT_TRUE(a1->IsVisible());
    EXPECT_FALSE(added->IsVisible());
    EXPECT_EQ(adding->GetItemAt(adding->GetCurSel()), a1);
    EXPECT_TRUE(r1->IsVisible());
    EXPECT_FALSE(window.Find<CControlUI>("r2")->IsVisible());
    EXPECT_EQ(removing->GetItemAt(removing->GetCurSel()), r1);
}

// ---- Options -----------------------------------------------------------------------------------

constexpr const char* kOptionSkin = R"(<Window size="400,60"><HorizontalLayout>
    <Option name="r1" group="line" selected="true"/>
    <Option name="r2" group="line" selected="true"/>
    <Option name="r3" group="line"/>
    <Option name="check"/>
    <Option name="other" group="other" selected="true"/>
  </HorizontalLayout></Window>)";

bool IsSelected(SkinTestWindow& window, const char* name) {
    auto* option = window.Find<COptionUI>(name);
    return option && option->IsSelected();
}

TEST(Options, AGroupBuiltWithTwoSelectedKeepsTheLastOne) {
    SkinTestWindow window(kOptionSkin);
    ASSERT_TRUE(window.built());
    EXPECT_FALSE(IsSelected(window, "r1"));
    EXPECT_TRUE(IsSelected(window, "r2"));
    EXPECT_FALSE(IsSelected(window, "r3"));
    EXPECT_TRUE(IsSelected(window, "other")) << "another group is not touched";
}

TEST(Options, AGroupKeepsOneSelectedAndCodeSelectsWithoutAClick) {
    SkinTestWindow window(kOptionSkin);
    ASSERT_TRUE(window.built());
    PaintNow(window);
    window.ClearNotifications();

    window.Find<COptionUI>("r3")->Selected(true);
    PumpFor(50);
    EXPECT_TRUE(Only(window.notifications(), {"click", "selectchanged"}).empty());
    EXPECT_TRUE(IsSelected(window, "r3"));
    EXPECT_FALSE(IsSelected(window, "r1"));
    EXPECT_FALSE(IsSelected(window, "r2"));
    EXPECT_TRUE(IsSelected(window, "other"));

    Click(window, window.Find<CControlUI>("r1"));
    EXPECT_EQ(Only(window.notifications(), {"click"}), (Log{"click:r1"}));
    EXPECT_TRUE(IsSelected(window, "r1"));
    EXPECT_FALSE(IsSelected(window, "r3"));

    // A radio button clicked again stays selected.
    Click(window, window.Find<CControlUI>("r1"));
    EXPECT_EQ(Only(window.notifications(), {"click"}), (Log{"click:r1", "click:r1"}));
    EXPECT_TRUE(IsSelected(window, "r1"));
    EXPECT_FALSE(IsSelected(window, "r2"));
}

TEST(Options, ACheckBoxTogglesOnEachClick) {
    SkinTestWindow window(kOptionSkin);
    ASSERT_TRUE(window.built());
    PaintNow(window);
    window.ClearNotifications();
    CControlUI* check = window.Find<CControlUI>("check");
    ASSERT_NE(check, nullptr);

    Click(window, check);
    EXPECT_TRUE(IsSelected(window, "check"));
    Click(window, check);
    EXPECT_FALSE(IsSelected(window, "check"));
    Click(window, check);
    EXPECT_TRUE(IsSelected(window, "check"));
    EXPECT_EQ(Only(window.notifications(), {"click"}),
              (Log{"click:check", "click:check", "click:check"}));
    EXPECT_TRUE(IsSelected(window, "r2") || IsSelected(window, "r1")) << "radios untouched";
}

// ---- Buttons -----------------------------------------------------------------------------------

constexpr const char* kButtonSkin = R"(<Window size="400,60"><HorizontalLayout name="row">
    <Button name="ok" text="确定"/>
    <Button name="cancel" text="取消"/>
    <Button name="off" enabled="false"/>
    <Button name="gone" width="40" visible="false"/>
  </HorizontalLayout></Window>)";

TEST(Buttons, AClickRaisesOneClickAndAPressMovedAwayRaisesNone) {
    SkinTestWindow window(kButtonSkin);
    ASSERT_TRUE(window.built());
    PaintNow(window);
    CControlUI* ok = window.Find<CControlUI>("ok");
    CControlUI* cancel = window.Find<CControlUI>("cancel");
    ASSERT_TRUE(ok && cancel);
    window.ClearNotifications();

    Click(window, ok);
    EXPECT_EQ(Only(window.notifications(), {"click"}), (Log{"click:ok"}));

    window.ClearNotifications();
    Click(window, Centre(ok), Centre(cancel));
    EXPECT_TRUE(Only(window.notifications(), {"click"}).empty());

    // A press that went astray leaves the next click whole.
    window.ClearNotifications();
    Click(window, Centre(cancel), Centre(cancel));
    EXPECT_EQ(Only(window.notifications(), {"click"}), (Log{"click:cancel"}));
}

TEST(Buttons, DisabledOrHiddenButtonsRaiseNoClick) {
    SkinTestWindow window(kButtonSkin);
    ASSERT_TRUE(window.built());
    PaintNow(window);
    CControlUI* off = window.Find<CControlUI>("off");
    CControlUI* cancel = window.Find<CControlUI>("cancel");
    ASSERT_TRUE(off && cancel);
    window.ClearNotifications();

    Click(window, off);
    cancel->SetEnabled(false);
    Click(window, cancel);
    EXPECT_TRUE(Only(window.notifications(), {"click"}).empty());
    cancel->SetEnabled(true);
    Click(window, cancel);
    EXPECT_EQ(Only(window.notifications(), {"click"}), (Log{"click:cancel"}));

    // Hidden between press and release.
    window.ClearNotifications();
    POINT at = Centre(cancel);
    ::PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, At(at));
    PumpFor(30);
    cancel->SetVisible(false);
    ::PostMessageA(window, WM_LBUTTONUP, 0, At(at));
    PumpFor(50);
    PaintNow(window);
    // And hidden before: the click lands on whatever now lies there, never on it.
    Click(window, at, at);
    EXPECT_EQ(Count(window.notifications(), "click:cancel"), 0);
    EXPECT_EQ(Count(window.notifications(), "click:gone"), 0);
}

TEST(Buttons, FindControlByNameAndByPoint) {
    SkinTestWindow window(kButtonSkin);
    ASSERT_TRUE(window.built());
    PaintNow(window);
    CControlUI* ok = window.manager().FindControl("ok");
    ASSERT_NE(ok, nullptr);
    EXPECT_STREQ(ok->GetClass(), "ButtonUI");
    EXPECT_NE(static_cast<CButtonUI*>(ok->GetInterface("Button")), nullptr);
    EXPECT_EQ(window.manager().FindControl("nobody"), nullptr);
    EXPECT_EQ(window.manager().FindControl(""), nullptr);
    // Code shows and hides controls by name, so hidden ones are found too.
    EXPECT_NE(window.manager().FindControl("gone"), nullptr);

    EXPECT_EQ(window.manager().FindControl(Centre(ok)), ok);
    EXPECT_EQ(window.manager().FindControl(POINT{ok->GetPos().right - 1, 1}), ok);
    EXPECT_EQ(window.manager().FindControl(Centre(window.Find<CControlUI>("off"))),
              window.Find<CControlUI>("off"));
    EXPECT_EQ(window.manager().FindControl(POINT{-5, -5}), nullptr);
    EXPECT_EQ(window.manager().FindControl(POINT{400, 30}), nullptr);
}

// ---- Focus -------------------------------------------------------------------------------------

constexpr const char* kFocusSkin = R"(<Window size="300,240"><VerticalLayout>
    <Edit name="account"/>
    <Edit name="password" password="true"/>
    <Button name="disabled" enabled="false"/>
    <Edit name="invisible" visible="false"/>
    <Label name="label"/>
    <Button name="logon"/>
  </VerticalLayout></Window>)";

TEST(Focus, ClickingMovesTheFocusWithKillBeforeSet) {
    SkinTestWindow window(kFocusSkin);
    ASSERT_TRUE(window.built());
    PaintNow(window);
    auto* account = window.Find<CEditUI>("account");
    CControlUI* logon = window.Find<CControlUI>("logon");
    ASSERT_TRUE(account && logon);
    window.ClearNotifications();

    Click(window, account);
    EXPECT_EQ(Only(window.notifications(), {"setfocus", "killfocus"}), (Log{"setfocus:account"}));
    EXPECT_EQ(window.manager().GetFocus(), account);
    EXPECT_EQ(::GetFocus(), account->GetNativeWindow()) << "typing goes into the edit box";

    window.ClearNotifications();
    Click(window, logon);
    EXPECT_EQ(Only(window.notifications(), {"setfocus", "killfocus"}),
              (Log{"killfocus:account", "setfocus:logon"}));
    EXPECT_EQ(window.manager().GetFocus(), logon);
    EXPECT_EQ(::GetFocus(), window.GetHWND()) << "keys must reach the focused button, not the edit";
}

TEST(Focus, TabMovesToTheNextFocusableControlAndWraps) {
    SkinTestWindow window(kFocusSkin);
    ASSERT_TRUE(window.built());
    PaintNow(window);
    Click(window, window.Find<CControlUI>("account"));
    ASSERT_EQ(window.manager().GetFocus(), window.Find<CControlUI>("account"));

    for (const char* next : {"password", "logon", "account", "password"}) {
        HWND keys = ::GetFocus() ? ::GetFocus() : window.GetHWND();
        ::PostMessageA(keys, WM_KEYDOWN, VK_TAB, 0);
        PumpFor(60);
        CControlUI* focus = window.manager().GetFocus();
        EXPECT_EQ(focus ? focus->GetName().str() : "nothing", next);
    }
}

// ---- Edit boxes --------------------------------------------------------------------------------

TEST(EditBox, ChineseTextRoundTripsThroughTheNativeBox) {
    SkinTestWindow window(R"(<Window size="300,100"><VerticalLayout>
        <Edit name="named" text="登录名"/><Edit name="account"/>
      </VerticalLayout></Window>)");
    ASSERT_TRUE(window.built());
    PaintNow(window);
    auto* account = window.Find<CEditUI>("account");
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(TextOf(window.Find<CControlUI>("named")), "登录名");
    EXPECT_EQ(TextOf(account), "");

    account->SetText("中文帐号abc");
    EXPECT_EQ(TextOf(account), "中文帐号abc");
    HWND native = account->GetNativeWindow();
    ASSERT_NE(native, nullptr);
    wchar_t shown[64] = {};
    ::GetWindowTextW(native, shown, 64);
    EXPECT_EQ(std::wstring(shown), L"中文帐号abc");

    // Typed characters come back in the system's code page.
    Click(window, account);
    ::SendMessageW(native, EM_SETSEL, 0, -1);
    ::SendMessageW(native, WM_CHAR, L'登', 0);
    ::SendMessageW(native, WM_CHAR, L'录', 0);
    EXPECT_EQ(TextOf(account), "登录");
    account->SetText("");
    EXPECT_EQ(TextOf(account), "");
}

TEST(EditBox, PasswordModeHidesTheTextButKeepsIt) {
    SkinTestWindow window(R"(<Window size="300,100"><VerticalLayout>
        <Edit name="password" password="true"/></VerticalLayout></Window>)");
    ASSERT_TRUE(window.built());
    PaintNow(window);
    auto* password = window.Find<CEditUI>("password");
    ASSERT_NE(password, nullptr);
    EXPECT_TRUE(password->IsPasswordMode());
    password->SetText("secret密码");
    HWND native = password->GetNativeWindow();
    ASSERT_NE(native, nullptr);
    EXPECT_NE(::SendMessageW(native, EM_GETPASSWORDCHAR, 0, 0), 0);
    EXPECT_EQ(TextOf(password), "secret密码");
    EXPECT_TRUE(password->AccessibleValue().IsEmpty()) << "a password is never handed out";

    password->SetPasswordMode(false);
    EXPECT_EQ(::SendMessageW(native, EM_GETPASSWORDCHAR, 0, 0), 0);
    EXPECT_EQ(password->AccessibleValue().str(), "secret密码");
    password->SetPasswordMode(true);
    EXPECT_NE(::SendMessageW(native, EM_GETPASSWORDCHAR, 0, 0), 0);
}

void Type(HWND native, const char* keys) {
    for (const char* key = keys; *key; ++key) ::SendMessageW(native, WM_CHAR, *key, 0);
}

TEST(EditBox, MaxCharLimitsTypingAndReadOnlyRefusesIt) {
    SkinTestWindow window(R"(<Window size="300,100"><VerticalLayout>
        <Edit name="short" maxchar="5"/>
        <Edit name="fixed" readonly="true" text="fixed"/>
      </VerticalLayout></Window>)");
    ASSERT_TRUE(window.built());
    PaintNow(window);
    auto* limited = window.Find<CEditUI>("short");
    auto* fixed = window.Find<CEditUI>("fixed");
    ASSERT_TRUE(limited && fixed);
    EXPECT_EQ(limited->GetMaxChar(), 5);

    Click(window, limited);
    HWND native = limited->GetNativeWindow();
    ASSERT_NE(native, nullptr);
    Type(native, "abcdefgh");
    EXPECT_EQ(TextOf(limited), "abcde");
    limited->SetMaxChar(7);
    ::SendMessageW(native, EM_SETSEL, 5, 5);
    Type(native, "xyz");
    EXPECT_EQ(TextOf(limited), "abcdexy");

    EXPECT_TRUE(fixed->IsReadOnly());
    Click(window, fixed);
    HWND fixedNative = fixed->GetNativeWindow();
    ASSERT_NE(fixedNative, nullptr);
    ::SendMessageW(fixedNative, EM_SETSEL, 0, -1);
    Type(fixedNative, "z");
    EXPECT_EQ(TextOf(fixed), "fixed");
    fixed->SetText("code may");
    EXPECT_EQ(TextOf(fixed), "code may");
    fixed->SetReadOnly(false);
    ::SendMessageW(fixedNative, EM_SETSEL, 0, -1);
    Type(fixedNative, "z");
    EXPECT_EQ(TextOf(fixed), "z");
}

// ---- Progress ----------------------------------------------------------------------------------

// A solid 4x4 24-bit BMP of one colour.
std::string SolidBitmap(BYTE red, BYTE green, BYTE blue) {
    const int side = 4;
    const DWORD pixelBytes = side * side * 3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + pixelBytes;
    info.biSize = sizeof(info);
    info.biWidth = side;
    info.biHeight = side;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
    for (int i = 0; i < side * side; ++i) {
        bytes.push_back(static_cast<char>(blue));
        bytes.push_back(static_cast<char>(green));
        bytes.push_back(static_cast<char>(red));
    }
    return bytes;
}

// Points the skin's resource path at a folder for one case.
class ResourcePathScope {
public:
    explicit ResourcePathScope(const std::string& folder)
        : previous_(CPaintManagerUI::GetResourcePath()) {
        CPaintManagerUI::SetResourcePath(folder.c_str());
    }
    ~ResourcePathScope() { CPaintManagerUI::SetResourcePath(previous_); }
    ResourcePathScope(const ResourcePathScope&) = delete;
    ResourcePathScope& operator=(const ResourcePathScope&) = delete;

private:
    CDuiString previous_;
};

COLORREF PixelAt(HWND window, int x, int y) {
    HDC dc = ::GetDC(window);
    COLORREF color = ::GetPixel(dc, x, y);
    ::ReleaseDC(window, dc);
    return color;
}

TEST(ProgressBar, ValuesAndTextAreKeptAndTheFillFollowsTheValue) {
    gatevane::testing::TestFolder folder;
    folder.Write("fill.bmp", SolidBitmap(255, 0, 0));
    ResourcePathScope skinFolder(folder.path());

    SkinTestWindow window(R"(<Window size="200,20"><VerticalLayout>
        <Progress name="bar" min="10" max="50" value="20" text="下载中" bkcolor="#FFFFFFFF"
                  foreimage="fill.bmp"/>
      </VerticalLayout></Window>)");
    ASSERT_TRUE(window.built());
    auto* bar = window.Find<CProgressUI>("bar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetMinValue(), 10);
    EXPECT_EQ(bar->GetMaxValue(), 50);
    EXPECT_EQ(bar->GetValue(), 20);
    EXPECT_EQ(TextOf(bar), "下载中");

    bar->SetMinValue(0);
    bar->SetMaxValue(200);
    bar->SetValue(50);
    bar->SetText("25%");
    EXPECT_EQ(bar->GetMaxValue(), 200);
    EXPECT_EQ(bar->GetValue(), 50);
    EXPECT_EQ(TextOf(bar), "25%");
    EXPECT_EQ(bar->AccessibleValue().str(), "50/200");

    // A quarter of 200 px is filled; the bar's white shows beyond it.
    PaintNow(window);
    EXPECT_EQ(PixelAt(window, 10, 2), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(window, 48, 2), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(window, 52, 2), RGB(255, 255, 255));
    bar->SetValue(150);
    PaintNow(window);
    EXPECT_EQ(PixelAt(window, 148, 2), RGB(255, 0, 0));
    EXPECT_EQ(PixelAt(window, 152, 2), RGB(255, 255, 255));
}

// ---- The modal loop ----------------------------------------------------------------------------

// A plain window run modally; its timer does what the case needs while the loop runs.
class TimedModal : public CWindowWnd {
public:
    explicit TimedModal(std::function<void(TimedModal&)> action) : action_(std::move(action)) {}
    ~TimedModal() override {
        if (::IsWindow(window_)) ::DestroyWindow(window_);
    }
    bool Open(HWND owner) {
        return Create(owner, "modal", WS_POPUP, 0, 10, 10, 120, 80) != nullptr;
    }

protected:
    const char* GetWindowClassName() const override { return "GatevaneTimedModal"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        if (uMsg == WM_CREATE) {
            ::SetTimer(window_, kActTimer, 30, nullptr);
            GiveUpAfter(window_, 5000);
            return 0;
        }
        if (uMsg == WM_TIMER && wParam == kActTimer) {
            ::KillTimer(window_, kActTimer);
            action_(*this);
            return 0;
        }
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }

private:
    static constexpr UINT_PTR kActTimer = 1;
    std::function<void(TimedModal&)> action_;
};

constexpr const char* kOwnerSkin = R"(<Window size="200,100"><Control/></Window>)";

TEST(ModalLoop, ReturnsTheCodeGivenToCloseWithTheOwnerDisabledMeanwhile) {
    SkinTestWindow owner(kOwnerSkin);
    ASSERT_TRUE(owner.built());
    bool ownerEnabledDuring = true;
    TimedModal modal([&](TimedModal& self) {
        ownerEnabledDuring = ::IsWindowEnabled(owner) != FALSE;
        self.Close(42);
    });
    ASSERT_TRUE(modal.Open(owner));
    EXPECT_EQ(modal.ShowModal(), 42u);
    EXPECT_FALSE(ownerEnabledDuring);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_FALSE(::IsWindow(modal.GetHWND()));
}

TEST(ModalLoop, ANotificationCanCloseTheSkinnedWindowItRuns) {
    SkinTestWindow owner(kOwnerSkin);
    ASSERT_TRUE(owner.built());
    SkinTestWindow dialog(R"(<Window size="200,80"><HorizontalLayout>
        <Button name="yes"/><Button name="no"/></HorizontalLayout></Window>)",
                          owner);
    ASSERT_TRUE(dialog.built());
    PaintNow(dialog);
    bool ownerEnabledDuring = true;
    dialog.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType != DUI_MSGTYPE_CLICK) return;
        ownerEnabledDuring = ::IsWindowEnabled(owner) != FALSE;
        dialog.Close(msg.pSender->GetName() == "no" ? IDNO : IDYES);
    };
    GiveUpAfter(dialog, 5000);
    POINT no = Centre(dialog.Find<CControlUI>("no"));
    ::PostMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, At(no));
    ::PostMessageA(dialog, WM_LBUTTONUP, 0, At(no));
    EXPECT_EQ(dialog.ShowModal(), static_cast<UINT>(IDNO));
    EXPECT_FALSE(ownerEnabledDuring);
    EXPECT_TRUE(::IsWindowEnabled(owner));
}

// Sends WM_CLOSE while a stretch of this frame is filled with a pattern: a window that still
// points at the stack of a modal loop that already returned writes its close code there.
__attribute__((noinline)) bool CloseLeavesTheStackAlone(CWindowWnd& window) {
    constexpr UINT kPattern = 0xA5A5A5A5u;
    volatile UINT guard[512];
    for (volatile UINT& slot : guard) slot = kPattern;
    window.SendMessage(WM_CLOSE, 0x77);
    for (volatile UINT& slot : guard) {
        if (slot != kPattern) return false;
    }
    return true;
}

TEST(ModalLoop, AQuitMessageEndsTheLoopAndIsPostedAgainForTheOuterLoop) {
    SkinTestWindow owner(kOwnerSkin);
    ASSERT_TRUE(owner.built());
    bool ownerEnabledDuring = true;
    TimedModal modal([&](TimedModal&) {
        ownerEnabledDuring = ::IsWindowEnabled(owner) != FALSE;
        ::PostQuitMessage(5);
    });
    ASSERT_TRUE(modal.Open(owner));
    modal.ShowModal();
    EXPECT_FALSE(ownerEnabledDuring);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_TRUE(::IsWindow(modal.GetHWND())) << "the loop ended for the quit, not a close";

    MSG quit{};
    ASSERT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 5u);

    // The window lives on after its loop: closing it later must not touch the loop's stack.
    EXPECT_TRUE(CloseLeavesTheStackAlone(modal));
    EXPECT_FALSE(::IsWindow(modal.GetHWND()));
}

// ---- Delayed freeing ---------------------------------------------------------------------------

TEST(DelayedFree, AClickThatRemovesItsOwnContainerFreesTheButtonAfterTheNotification) {
    Log log;
    ProbeWindow window(R"(<Window size="300,120"><VerticalLayout name="root">
        <HorizontalLayout name="row" height="60">
          <VerticalLayout name="cell"><LoggedButton name="remove" text="移除"/></VerticalLayout>
          <LoggedButton name="neighbour"/>
        </HorizontalLayout>
        <LoggedButton name="other"/>
      </VerticalLayout></Window>)",
                       log);
    ASSERT_NE(window.Open(), nullptr);
    PaintNow(window);
    CControlUI* remove = window.manager().FindControl("remove");
    auto* row = static_cast<CContainerUI*>(window.manager().FindControl("row"));
    ASSERT_TRUE(remove && row);
    window.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType != DUI_MSGTYPE_CLICK || msg.pSender->GetName() != "remove") return;
        log.push_back("click-begin");
        static_cast<CContainerUI*>(msg.pSender->GetParent()->GetParent())->RemoveAll();
        // The sender is still whole here.
        log.push_back("click-end:" + msg.pSender->GetName().str());
    };

    Click(window, remove);
    EXPECT_EQ(log, (Log{"click-begin", "click-end:remove", "freed:remove", "freed:neighbour"}));
    EXPECT_EQ(row->GetCount(), 0);
    EXPECT_EQ(window.manager().FindControl("remove"), nullptr);
    EXPECT_EQ(window.manager().GetFocus(), nullptr);

    // The window goes on working where the removed controls were.
    PaintNow(window);
    Click(window, POINT{150, 30}, POINT{150, 30});
    Click(window, window.manager().FindControl("other"));
    EXPECT_EQ(Count(window.notifications(), "click:other"), 1);
    EXPECT_EQ(Count(window.notifications(), "click:remove"), 1);
}

// ---- WindowImplBase ----------------------------------------------------------------------------

constexpr const char* kImplSkin = R"(<Window size="300,200" caption="0,0,0,40"><VerticalLayout>
    <HorizontalLayout height="40">
      <Label name="title" width="100"/><Option name="tab" width="60"/>
      <Button name="close" width="40"/>
    </HorizontalLayout>
    <Edit name="edit"/>
  </VerticalLayout></Window>)";

TEST(ImplBase, EscapeClosesUnlessTheWindowKeepsIt) {
    Log freed;
    ProbeWindow closing(kImplSkin, freed);
    ASSERT_NE(closing.Open(), nullptr);
    PaintNow(closing);
    ::PostMessageA(closing, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpFor(500, [&] { return !::IsWindow(closing.GetHWND()); });
    EXPECT_FALSE(::IsWindow(closing.GetHWND()));

    // Escape typed into an edit box closes the window too.
    ProbeWindow typing(kImplSkin, freed);
    ASSERT_NE(typing.Open(), nullptr);
    PaintNow(typing);
    Click(typing, typing.manager().FindControl("edit"));
    HWND edit = static_cast<CEditUI*>(typing.manager().FindControl("edit"))->GetNativeWindow();
    ASSERT_NE(edit, nullptr);
    ::PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpFor(500, [&] { return !::IsWindow(typing.GetHWND()); });
    EXPECT_FALSE(::IsWindow(typing.GetHWND()));

    ProbeWindow keeping(kImplSkin, freed);
    keeping.keepOpenOnEscape = true;
    ASSERT_NE(keeping.Open(), nullptr);
    PaintNow(keeping);
    ::PostMessageA(keeping, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpFor(200);
    EXPECT_TRUE(::IsWindow(keeping.GetHWND()));
}

TEST(ImplBase, ASkinThatCannotBeLoadedMakesCreateFail) {
    Log freed;
    for (const char* skin : {"no_such_window_skin.xml", "<Window><VerticalLayout></Window>",
                             "<Window size=\"10,10\"/>"}) {
        ProbeWindow window(skin, freed);
        EXPECT_EQ(window.Open(), nullptr) << skin;
        EXPECT_EQ(window.GetHWND(), nullptr) << skin;
    }
}

LRESULT HitTestAt(HWND window, CControlUI* control) {
    POINT pt = Centre(control);
    ::ClientToScreen(window, &pt);
    return ::SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
}

TEST(ImplBase, TheCaptionBandDragsExceptOverButtons) {
    Log freed;
    ProbeWindow window(kImplSkin, freed);
    ASSERT_NE(window.Open(), nullptr);
    PaintNow(window);
    CPaintManagerUI& manager = window.manager();
    EXPECT_EQ(HitTestAt(window, manager.FindControl("title")), HTCAPTION);
    EXPECT_EQ(HitTestAt(window, manager.FindControl("close")), HTCLIENT);
    EXPECT_EQ(HitTestAt(window, manager.FindControl("edit")), HTCLIENT);
    // An option is a button too: a tab or check box in the band must take its click.
    EXPECT_EQ(HitTestAt(window, manager.FindControl("tab")), HTCLIENT);
}

}  // namespace
