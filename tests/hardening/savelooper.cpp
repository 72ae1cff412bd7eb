#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "config/serverlistfile.h"
#include "config/settingsfile.h"
#include "hardeningcontent.h"

namespace {

// Saves the two versions of the file by turns, for ever, through the program's own save.
[[noreturn]] void saveForEver(bool settings, const QString& path) {
    for (int turn = 1;; ++turn) {
        const bool second = turn % 2 == 1;
        const SaveResult saved = settings ? saveSettings(path, hardening::settings(second))
                                          : saveServerList(path, hardening::servers(second));
        if (!saved.ok)
            _exit(1);
    }
}

}  // namespace

// Takes commands on standard input, one a line, so that a test can kill savers cheaply and often:
// "start" forks a saver and answers its process id, for the test to kill; "reap" waits for it to
// end and answers the number of the signal that ended it (0 when none did).
int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    const bool settings = std::strcmp(argv[1], "settings") == 0;
    const QString path = QString::fromLocal8Bit(argv[2]);
    pid_t saver = 0;
    char command[16];
    while (std::fgets(command, sizeof command, stdin)) {
        if (std::strcmp(command, "start\n") == 0) {
            saver = fork();
            if (saver == 0) {
                prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives the test that asked for it
                saveForEver(settings, path);
            }
            std::printf("%d\n", int(saver));
        } else if (std::strcmp(command, "reap\n") == 0) {
            int status = 0;
            waitpid(saver, &status, 0);
            std::printf("%d\n", WIFSIGNALED(status) ? WTERMSIG(status) : 0);
            saver = 0;
        }
        std::fflush(stdout);
    }
    if (saver > 0) {  // the test has gone without reaping: end the last saver here
        kill(saver, SIGKILL);
        waitpid(saver, nullptr, 0);
    }
    return 0;
}
