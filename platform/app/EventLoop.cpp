#include "platform/app/EventLoop.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <vector>

namespace Vx::App {

namespace {

// QCoreApplication keeps references to these for its whole life.
int g_argc = 1;
char g_arg0[] = "vexmora";
char* g_argv[] = {g_arg0, nullptr};

std::vector<QEventLoop*> g_nestedLoops;
int g_runUntilDepth = 0;
bool g_quitRequested = false;
int g_quitCode = 0;

}  // namespace

void EventLoop::EnsureApplication() {
    if (QCoreApplication::instance() == nullptr) {
        // Lives until the process ends: objects created later may rely on it during exit.
        new QCoreApplication(g_argc, g_argv);
    }
}

int EventLoop::Run() {
    EnsureApplication();
    if (g_quitRequested) {
        g_quitRequested = false;
        return g_quitCode;
    }
    if (QThread::currentThread()->loopLevel() == 0) {
        return QCoreApplication::exec();
    }
    QEventLoop loop;
    g_nestedLoops.push_back(&loop);
    int code = loop.exec();
    g_nestedLoops.pop_back();
    return code;
}

void EventLoop::Quit(int exitCode) {
    // RunUntil loops are not the application's loop: a Quit made while only
    // they run waits for the next Run().
    bool appLoopRunning =
        QCoreApplication::instance() != nullptr && QThread::currentThread()->loopLevel() > g_runUntilDepth;
    if (!g_nestedLoops.empty()) {
        g_nestedLoops.back()->exit(exitCode);
    } else if (appLoopRunning) {
        QCoreApplication::exit(exitCode);
    } else {
        g_quitRequested = true;
        g_quitCode = exitCode;
    }
}

bool EventLoop::RunUntil(const std::function<bool()>& done, int timeoutMs) {
    EnsureApplication();
    if (done()) {
        return true;
    }
    QElapsedTimer elapsed;
    elapsed.start();
    QEventLoop loop;
    auto check = [&] {
        if (done() || elapsed.elapsed() >= timeoutMs) {
            loop.quit();
        }
    };
    // Looked at whenever the loop has handled what was there and would wait:
    // the event that made done() true ends the wait at once. The poll keeps
    // done() free of any signalling duty for changes made outside the loop
    // (another thread); 2 ms is short enough for tests and costs nothing measurable.
    QMetaObject::Connection beforeWait;
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        beforeWait = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, check);
    }
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(2);
    QObject::connect(&poll, &QTimer::timeout, &loop, check);
    poll.start();
    ++g_runUntilDepth;
    loop.exec();
    --g_runUntilDepth;
    QObject::disconnect(beforeWait);
    return done();
}

void EventLoop::ProcessEvents() {
    EnsureApplication();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

int EventLoop::GetDepth() {
    return QCoreApplication::instance() == nullptr ? 0 : QThread::currentThread()->loopLevel();
}

}  // namespace Vx::App
