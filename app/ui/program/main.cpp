#include "ui/program/program_entry.h"
#include "ui/program/varo_application.h"

int main(int argc, char** argv) {
  PrepareApplicationStart();
  TVaroApplication app(argc, argv);
  return RunProgram(TVaroApplication::arguments());
}
