// What the user waits for in the popup menus and the macro manager's lists, each against one
// frame (16 ms): the function menu from construction to its first paint, the opening of the
// 41-item macro submenu, a full repaint of 40 names and of 50 events with their icons (read
// from file at every draw), a page scroll of the event list, and an edit committed with Enter.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPixmap>
#include <QScrollBar>
#include <QWidget>

#include <cstdlib>
#include <memory>

#include "platform/ui/WindowMessage.h"
#include "resources/SkinPath.h"
#include "skin/BmpMenu.h"
#include "skin/ListBoxEx.h"

namespace {

QApplication& Application() {
  static int argc = 1;
  static char name[] = "bench_skin_menus";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return new QApplication(argc, argv);
  }();
  return *app;
}

QString SkinFile(const char16_t* name) {
  return QString::fromStdString(resources::SkinPath(KDZ_PROGRAM_DIR, name));
}

QWidget& Owner() {
  static QWidget* owner = [] {
    auto* w = new QWidget();
    w->setGeometry(50, 50, 640, 480);
    w->show();
    return w;
  }();
  return *owner;
}

// The function menu as the button page builds it, with 40 macros under its first item.
std::unique_ptr<CBmpMenu> FunctionMenu() {
  auto menu = std::make_unique<CBmpMenu>();
  menu->LoadImages(SkinFile(u"Defualt\\button_menu_n.png"), SkinFile(u"Defualt\\button_menu_o.png"),
                   SkinFile(u"Defualt\\button_menu_d.png"), SkinFile(u"Defualt\\button_menu_n.png"));
  menu->LoadSubMenuImages(SkinFile(u"Defualt\\sub_menu_n.png"), SkinFile(u"Defualt\\sub_menu_o.png"),
                          SkinFile(u"Defualt\\sub_menu_d.png"), SkinFile(u"Defualt\\sub_menu_n.png"));
  QPoint at(100, 60);
  CBmpMenu::KeepOnScreen(at, 128, 375);
  menu->SetPosition(at.x(), at.y());
  for (int code = 1; code <= 22; ++code) menu->AddItem(QStringLiteral("功能 %1").arg(code), code);
  const int subItems[] = {41, 8, 3, 3, 10};
  for (int k = 0; k < 5; ++k) {
    for (int j = 0; j < subItems[k]; ++j) menu->AddSubItem(k, QStringLiteral("宏 %1").arg(j), j + 1);
  }
  return menu;
}

void Flush() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_FunctionMenuToFirstPaint(benchmark::State& state) {
  Application();
  for (auto _ : state) {
    auto menu = FunctionMenu();
    menu->Create(&Owner());
    benchmark::DoNotOptimize(menu->Window()->grab());
    state.PauseTiming();
    menu->DestroyWindow();
    menu.reset();
    Flush();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FunctionMenuToFirstPaint)->Unit(benchmark::kMillisecond);

void BM_MacroSubmenuOpening(benchmark::State& state) {
  Application();
  auto menu = FunctionMenu();
  menu->Create(&Owner());
  const QPoint item0 = menu->Window()->mapToGlobal(QPoint(60, 8));
  const QPoint item10 = menu->Window()->mapToGlobal(QPoint(60, 10 * 17 + 8));
  auto move = [&](QPoint p) {
    ui::SendMessage(menu->Window(), ui::WM_MOUSEMOVE, 0, ui::MakeLParam(p.x(), p.y()));
  };
  for (auto _ : state) {
    move(item0);
    benchmark::DoNotOptimize(menu->OpenSubmenu()->Window()->grab());
    state.PauseTiming();
    move(item10);
    Flush();
    state.ResumeTiming();
  }
  state.counters["items"] = 41;
}
BENCHMARK(BM_MacroSubmenuOpening)->Unit(benchmark::kMillisecond);

std::unique_ptr<CListBoxEx> List(int rows, bool events, int height) {
  auto list = std::make_unique<CListBoxEx>();
  list->Create(QRect(10, 10, 200, height), &Owner());
  list->SetColors(0x00FFFFFF, 0x00F9C80E);
  list->SetImages(SkinFile(u"Skin\\MacroKeyUp.png"), SkinFile(u"Skin\\MacroKeyDown.png"),
                  SkinFile(u"Skin\\MacroKeyDelay.png"), SkinFile(u"Skin\\MacroMouseUp.png"),
                  SkinFile(u"Skin\\MacroMouseDown.png"));
  for (int i = 0; i < rows; ++i) {
    if (!events) {
      list->AddItem(0, QStringLiteral("Macro %1").arg(i), false);
    } else {
      const int type = 2 + i % 5;
      list->AddItem(ui::MakeLong(uint32_t(type), uint32_t(10 + i)),
                    type == 4 ? QStringLiteral("%1 ms").arg(10 + i) : QStringLiteral("Key %1").arg(i),
                    false);
    }
  }
  return list;
}

void BM_ListFullRepaint(benchmark::State& state) {
  Application();
  const bool events = state.range(0) != 0;
  const int rows = events ? 50 : 40;
  auto list = List(rows, events, rows * 16);
  for (auto _ : state) benchmark::DoNotOptimize(list->viewport()->grab());
  state.counters["rows"] = rows;
}
BENCHMARK(BM_ListFullRepaint)->Arg(0)->Arg(1)->ArgNames({"events"})->Unit(benchmark::kMillisecond);

void BM_EventListPageScroll(benchmark::State& state) {
  Application();
  auto list = List(50, true, 160);
  QScrollBar* bar = list->verticalScrollBar();
  int page = 0;
  for (auto _ : state) {
    page = (page + 1) % 5;
    bar->setValue(page * bar->pageStep());
    benchmark::DoNotOptimize(list->viewport()->grab());
  }
}
BENCHMARK(BM_EventListPageScroll)->Unit(benchmark::kMillisecond);

void BM_EventListEdit(benchmark::State& state) {
  Application();
  auto list = List(50, true, 160);
  Owner().activateWindow();
  for (auto _ : state) {
    list->BeginEdit(2);
    list->Editor()->setText(QStringLiteral("250"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(list->Editor(), &release);
    benchmark::DoNotOptimize(list->viewport()->grab());
    state.PauseTiming();
    Flush();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_EventListEdit)->Unit(benchmark::kMillisecond);

}  // namespace
