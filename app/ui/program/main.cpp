#include "ui/program/program_entry.h"
#include "ui/program/varo_application.h"

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
  if (const int code = HandOverStart(arguments); code >= 0) return code;
  PrepareApplicationStart();
  TVaroApplication app(argc, argv);
  return RunProgram(TVaroApplication::arguments());
}
