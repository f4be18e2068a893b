// What the shell was asked to open during a test. The test prefix opens .htm
// and .txt files and http: and mailto: addresses with ShellRecorder, which
// appends each target to the log named here: no browser, mail program or
// editor starts.
//
//   TShellLog shell;                       // this process's log, empty
//   ... the program calls ShellExecute ...
//   EXPECT_THAT(shell.Lines(1), ElementsAre("http://www.drovanex.com/"));
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class TShellLog {
public:
    // Points the recorders this process's shell starts at a log of the
    // process's own and clears it. Fails the running test when the prefix
    // does not lead the four kinds of target to the recorder.
    TShellLog();
    ~TShellLog();
    TShellLog(const TShellLog&) = delete;
    TShellLog& operator=(const TShellLog&) = delete;

    void Clear();
    // The recorder writes from its own process, after ShellExecute has
    // returned: waits until at least `expected` targets have arrived or
    // `timeoutMs` has passed, and returns every target so far. With
    // `expected` 0 it waits the whole time (to see that nothing came).
    std::vector<std::string> Lines(std::size_t expected, int timeoutMs = 10000) const;

    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};
