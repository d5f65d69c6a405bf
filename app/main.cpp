// The desktop program's entry: its windows (app/program_windows.h), then the event loop.
#include <QApplication>

#include "app/program_windows.h"
#include "config/program_folder.h"

using namespace corvane;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ProgramWindows windows(FindProgramPlaces(ProgramFolder()));
  // A program that cannot run ends the loop with status 1, once its box has been read.
  windows.Show();
  return app.exec();
}
