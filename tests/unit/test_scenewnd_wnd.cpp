// Framework windows on the headless display: tables, creation, destruction, quit, contexts, timers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/SaverApp.h"
#include "framework/DC.h"
#include "framework/Wnd.h"
#include "platform/Window.h"
#include "platform/headless/HeadlessDisplay.h"
#include "platform/headless/HeadlessSystem.h"

namespace {

class CBaseProbe : public CWnd {
public:
    explicit CBaseProbe(std::vector<std::string>* log, bool autoDelete = false) : m_pLog(log), m_bAuto(autoDelete) {}
    ~CBaseProbe() override { m_pLog->push_back("deleted"); }

    BOOL Create(CWnd* parent, int w, int h, int refuse = 0) {
        m_nRefuse = refuse;
        const std::string cls = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, 0);
        return CreateEx(0, cls.c_str(), "", parent ? WS_CHILD | WS_VISIBLE : WS_POPUP | WS_VISIBLE, RECT{0, 0, w, h},
                        parent, 0);
    }

    std::vector<std::string>* m_pLog;
    bool m_bAuto;
    int m_nRefuse = 0;
    std::string m_strName = "base";

protected:
    int OnCreate(LPCREATESTRUCT cs) {
        m_pLog->push_back(m_strName + ":create " + std::to_string(cs->cx) + "x" + std::to_string(cs->cy) +
                          (m_hWnd != 0 ? " hwnd" : " nohwnd"));
        if (m_nRefuse) return -1;
        return CWnd::OnCreate(cs);
    }
    void OnTimer(UINT_PTR id) { m_pLog->push_back(m_strName + ":timer " + std::to_string(id)); }
    void OnDestroy() { m_pLog->push_back(m_strName + ":destroy"); }
    void OnCommandSeven() { m_pLog->push_back(m_strName + ":command 7"); }
    void PostNcDestroy() override {
        m_pLog->push_back(m_strName + (m_hWnd == 0 ? ":ncdestroy cleared" : ":ncdestroy still set"));
        if (m_bAuto) delete this;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseProbe, CWnd)
    ON_WM_CREATE()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_COMMAND(7, OnCommandSeven)
END_MESSAGE_MAP()

// Adds painting only; timers and creation come from the base's table.
class CDerivedProbe : public CBaseProbe {
public:
    using CBaseProbe::CBaseProbe;
    int m_nPaints = 0;
    bool m_bDrawn = false;

protected:
    void OnPaint() {
        ++m_nPaints;
        PAINTSTRUCT ps;
        CDC* dc = BeginPaint(&ps);
        if (dc != nullptr && !m_bDrawn) {
            dc->FillSolidRect(RECT{2, 3, 12, 8}, RGB(255, 0, 0));
            m_bDrawn = true;
        }
        EndPaint(&ps);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedProbe, CBaseProbe)
    ON_WM_PAINT()
END_MESSAGE_MAP()

class WndTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::ResetDisplay(320, 200, 32);
        headless::SetClockMs(10000);
        theApp.m_pMainWnd = nullptr;
    }
    void TearDown() override {
        theApp.m_pMainWnd = nullptr;
        headless::ResetDisplay(1, 1, 32);
    }
    std::vector<std::string> log;
};

}  // namespace

TEST_F(WndTest, TablesFallBackToTheBaseAndUnhandledMessagesGetTheDefault) {
    CDerivedProbe w(&log);
    ASSERT_TRUE(w.Create(nullptr, 40, 30));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "base:create 40x30 hwnd");  // the handle is known inside WM_CREATE
    EXPECT_EQ(CWnd::FromHandlePermanent(w.GetSafeHwnd()), &w);

    // WM_PAINT comes before the timer; the handler's paint context validates the window.
    w.SetTimer(3, 50, nullptr);
    EXPECT_EQ(headless::RunTicks(2), 2);
    EXPECT_EQ(w.m_nPaints, 1);
    EXPECT_EQ(log.back(), "base:timer 3");
    EXPECT_EQ(headless::NowMs(), 10100);
    // Drawn pixels reach the screen through exactly the rectangle drawn.
    const plat::Surface& s = headless::Screen();
    EXPECT_EQ(s.pixels[3 * s.pitch + 2] & 0xffffffu, 0xff0000u);
    EXPECT_EQ(s.pixels[8 * s.pitch + 2] & 0xffffffu, 0u);
    bool found = false;
    for (const headless::Presented& p : headless::PresentLog())
        found |= p.hwnd == w.GetSafeHwnd() && p.rect.left == 2 && p.rect.top == 3 && p.rect.right == 12 && p.rect.bottom == 8;
    EXPECT_TRUE(found);

    // WM_COMMAND reaches the base's entry by id; another id falls through to the default.
    w.SendMessage(WM_COMMAND, 7, 0);
    EXPECT_EQ(log.back(), "base:command 7");
    w.SendMessage(WM_COMMAND, 8, 0);
    EXPECT_EQ(log.back(), "base:command 7");

    // WM_CLOSE has no entry: the default destroys the window, WM_DESTROY then WM_NCDESTROY.
    w.SendMessage(WM_CLOSE, 0, 0);
    EXPECT_EQ(w.GetSafeHwnd(), 0u);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "base:destroy");
    EXPECT_EQ(log.back(), "base:ncdestroy cleared");
    EXPECT_TRUE(headless::Windows().empty());
}

TEST_F(WndTest, ChildrenGoWithTheirParentAndAutoDeleteObjectsDeleteThemselves) {
    auto* parent = new CBaseProbe(&log, true);
    parent->m_strName = "parent";
    ASSERT_TRUE(parent->Create(nullptr, 100, 100));
    auto* child = new CBaseProbe(&log, true);
    child->m_strName = "child";
    ASSERT_TRUE(child->Create(parent, 10, 10));
    log.clear();
    parent->DestroyWindow();
    const std::vector<std::string> expected = {"parent:destroy", "child:destroy", "child:ncdestroy cleared", "deleted",
                                               "parent:ncdestroy cleared", "deleted"};
    EXPECT_EQ(log, expected);

    // A refused creation: FALSE, and the window is gone with WM_DESTROY and WM_NCDESTROY.
    log.clear();
    auto* refused = new CBaseProbe(&log, true);
    EXPECT_FALSE(refused->Create(nullptr, 5, 5, 1));
    const std::vector<std::string> refusedLog = {"base:create 5x5 hwnd", "base:destroy", "base:ncdestroy cleared",
                                                 "deleted"};
    EXPECT_EQ(log, refusedLog);

    // An unregistered class makes no window.
    CWnd plain;
    EXPECT_FALSE(plain.CreateEx(0, "NoSuchClass", "", WS_POPUP, RECT{0, 0, 5, 5}, nullptr, 0));
    EXPECT_EQ(plain.GetSafeHwnd(), 0u);
}

TEST_F(WndTest, OnlyTheMainWindowsEndPostsTheQuitMessage) {
    CBaseProbe other(&log);
    ASSERT_TRUE(other.Create(nullptr, 10, 10));
    other.DestroyWindow();
    EXPECT_EQ(headless::PumpMessages(), 0);
    EXPECT_FALSE(headless::QuitReceived());

    CBaseProbe main(&log);
    ASSERT_TRUE(main.Create(nullptr, 10, 10));
    theApp.m_pMainWnd = &main;
    headless::PumpMessages();
    main.DestroyWindow();
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
    plat::Msg m;
    EXPECT_FALSE(plat::GetMessage(&m));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_TRUE(headless::QuitReceived());
    // With nothing queued and no timer budget, the queue reports "idle" (message 0).
    EXPECT_FALSE(plat::GetMessage(&m));
    EXPECT_EQ(m.message, 0u);
}

TEST_F(WndTest, TimersCoalesceAndPeekMessageDropsOnePending) {
    CBaseProbe w(&log);
    ASSERT_TRUE(w.Create(nullptr, 10, 10));
    headless::PumpMessages();
    EXPECT_EQ(w.SetTimer(1, 50, nullptr), 1u);
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, w.GetSafeHwnd(), WM_TIMER, WM_TIMER, PM_REMOVE));  // not due yet
    headless::AdvanceClockMs(500);  // ten periods late: still one WM_TIMER
    EXPECT_TRUE(PeekMessage(&msg, w.GetSafeHwnd(), WM_TIMER, WM_TIMER, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessage(&msg, w.GetSafeHwnd(), WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_FALSE(PeekMessage(&msg, w.GetSafeHwnd(), WM_TIMER, WM_TIMER, PM_REMOVE));
    // Posted messages are filtered by window and range.
    w.PostMessage(WM_USER + 5, 1, 2);
    EXPECT_FALSE(PeekMessage(&msg, w.GetSafeHwnd(), WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_FALSE(PeekMessage(&msg, w.GetSafeHwnd() + 1, 0, 0, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessage(&msg, w.GetSafeHwnd(), WM_USER, WM_USER + 10, PM_REMOVE));
    EXPECT_EQ(msg.lParam, 2);
    // Killed timers fire no more.
    EXPECT_TRUE(w.KillTimer(1));
    EXPECT_EQ(headless::RunTicks(5), 0);
    EXPECT_EQ(headless::PumpMessages(), 0);

    // The class was registered once for all these windows.
    CBaseProbe again(&log);
    ASSERT_TRUE(again.Create(nullptr, 10, 10));
    EXPECT_EQ(headless::ClassRegistrations(), 1);
    EXPECT_EQ(AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, 0), AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, 0));
}

TEST_F(WndTest, ForeignWindowsHaveNoObjectAndWrappersNeverDestroyThem) {
    const plat::Hwnd foreign = headless::CreateForeignWindow(5, 6, 70, 40);
    EXPECT_EQ(CWnd::FromHandlePermanent(foreign), nullptr);
    {
        CWnd wrapper;
        ASSERT_TRUE(wrapper.Attach(foreign));
        RECT rc{};
        wrapper.GetClientRect(&rc);
        EXPECT_TRUE(rc.left == 0 && rc.top == 0 && rc.right == 70 && rc.bottom == 40);
        EXPECT_EQ(wrapper.Detach(), foreign);
    }
    EXPECT_TRUE(plat::IsWindow(foreign));
    CBaseProbe child(&log);
    CWnd parent;
    parent.Attach(foreign);
    ASSERT_TRUE(child.Create(&parent, 20, 10));
    plat::Point origin;
    ASSERT_TRUE(headless::WindowScreenOrigin(child.GetSafeHwnd(), &origin));
    EXPECT_EQ(origin.x, 5);
    EXPECT_EQ(origin.y, 6);
    EXPECT_TRUE(plat::DestroyWindow(foreign));
    parent.Detach();
    EXPECT_EQ(child.GetSafeHwnd(), 0u);
    EXPECT_EQ(log.back(), "base:ncdestroy cleared");
}
