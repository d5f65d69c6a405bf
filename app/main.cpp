#include <QApplication>

#include "ui/Unit2.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  corvane::TForm2 progress;
  progress.show();
  return app.exec();
}
