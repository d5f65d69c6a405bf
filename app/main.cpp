// The desktop program's entry: its windows (app/program_windows.h), then the event loop.
#include <QApplication>

#include "app/program_windows.h"
#include "config/program_folder.h"
#include "ui/wine_fonts.h"

using namespace corvane;

int main(int argc, char** argv) {
  PrepareTextEngine();
  QApplication app(argc, argv);
  ChooseInterfaceFace(app);
  ProgramWindows windows(FindProgramPlaces(ProgramFolder()));
  // A program that cannot run ends the loop with status 1, once its box has been read.
  windows.Show();
  return app.exec();
}
