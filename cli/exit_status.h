#pragma once
// The exit statuses of tq310-cli, one per cause, for scripts. The manual page and --help list them.

namespace tq::cli {

enum ExitStatus : int {
    Success = 0,
    UsageError = 2,      // unknown command or option, missing or extra argument
    FileRefused = 3,     // a parameter file "apri file" refuses, an output file that cannot be written, or a
                         // backup that write cannot keep
    NoAnswer = 4,        // the controller did not complete an answer within the console's patience
    LineFailed = 5,      // the line could not be opened, or was lost
    CommitRefused = 6,   // the read-back differs from the file: the commit was refused (or would be)
};

}  // namespace tq::cli
