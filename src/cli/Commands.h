// The subcommands of kastrell-cli. Each takes the arguments after its name and
// returns the process exit code.
#pragma once

namespace kastrell::cli {

int RunDecode(int argc, char** argv);  // decode [options] FILE
int RunInfo(int argc, char** argv);    // info [options] FILE
int RunConvert(int argc, char** argv); // convert --encoding N --line-style S [--bom 0|1] IN OUT

}  // namespace kastrell::cli
