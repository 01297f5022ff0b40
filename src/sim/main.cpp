// vexor-sim: a tester with its Scope module on UDP, for development without the instrument.

#include "sim/simcommandline.h"
#include "sim/simserver.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

int main(int argc, char* argv[]) {
    // SIGINT and SIGTERM arrive through a descriptor that the event loop watches;
    // block them before any thread starts so none of them takes the signal.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signalFd < 0) {
        std::perror("vexor-sim: signalfd");
        return 1;
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("vexor-sim");
    const wavix::SimCommandLine cmd = wavix::ParseSimCommandLine(QCoreApplication::arguments());
    switch (cmd.outcome) {
    case wavix::SimCommandLine::Outcome::Help:
    case wavix::SimCommandLine::Outcome::Version:
        std::cout << cmd.text.toStdString() << std::endl;
        ::close(signalFd);
        return 0;
    case wavix::SimCommandLine::Outcome::Error:
        std::cerr << "vexor-sim: " << cmd.text.toStdString() << "\n(--help lists the options)" << std::endl;
        ::close(signalFd);
        return 2;
    case wavix::SimCommandLine::Outcome::Run:
        break;
    }

    QSocketNotifier stopNotifier(signalFd, QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, [&] {
        signalfd_siginfo info{};
        if (::read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
            std::cout << "stopping on " << (info.ssi_signo == SIGINT ? "SIGINT" : "SIGTERM") << std::endl;
        QCoreApplication::quit();
    });

    wavix::CSimServer server(cmd.options, [](const std::string& line) { std::cout << line << std::endl; });
    QString error;
    if (!server.start(error)) {
        std::cerr << "vexor-sim: cannot listen on " << cmd.options.address << ":" << cmd.options.port << ": "
                  << error.toStdString() << std::endl;
        ::close(signalFd);
        return 1;
    }
    const int rc = QCoreApplication::exec();
    stopNotifier.setEnabled(false);
    ::close(signalFd);
    std::cout << "stopped" << std::endl;
    return rc;
}
