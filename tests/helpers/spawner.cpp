// Plays the program's part in the tests of what happens to a child when the program dies: starts its
// arguments as a child through the runner's process layer, from a thread that stays with the child as the
// runner's reader does, passes on whatever the child writes, and runs until killed.
//   spawner PROGRAM ARGS...
#include "platform/Process.h"

#include <cstdio>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

int main(int argc, char* argv[])
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::thread reader([&args] {
        platform::Pipe input, output;
        platform::Process child;
        int error = 0;
        if (!input.Open(error) || !output.Open(error) || !child.Start(args, input, output, error)) {
            std::fprintf(stderr, "spawner: cannot start %s (error %d)\n", args.empty() ? "" : args[0].c_str(), error);
            _exit(1);
        }
        char buffer[4096];
        for (;;) {
            platform::WaitPipes(output, nullptr, 100);
            if (std::size_t waiting = output.BytesWaiting()) {
                std::size_t got = output.Read(buffer, waiting < sizeof buffer ? waiting : sizeof buffer);
                std::fwrite(buffer, 1, got, stdout);
                std::fflush(stdout);
            }
        }
    });
    reader.join();
}
