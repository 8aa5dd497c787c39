// The subcommands of kastrell-cli. Each takes the arguments after its name and
// returns the process exit code.
#pragma once

namespace kastrell::cli {

int RunDecode(int argc, char** argv);  // decode [options] FILE
int RunInfo(int argc, char** argv);    // info [options] FILE

}  // namespace kastrell::cli
