// The options page's tick boxes for the switches beyond the record (world coordinates, the points
// inside blocks): each shows its option's caption and stores its state in the working options.
#include <QCheckBox>

#include "config/config_extension.h"
#include "config/config_text.h"
#include "ui/main.h"
#include "ui_main.h"

namespace corvane {

namespace {

std::vector<const ExtensionOption*> SwitchOptions() {
  std::vector<const ExtensionOption*> switches;
  for (const ExtensionOption& option : ExtensionOptions()) {
    if (option.isSwitch) switches.push_back(&option);
  }
  return switches;
}

}  // namespace

void TForm1::ConnectExtensionSwitches() {
  const std::vector<QCheckBox*> boxes = ExtensionSwitches();
  const std::vector<const ExtensionOption*> options = SwitchOptions();
  for (std::size_t i = 0; i < boxes.size() && i < options.size(); ++i) {
    const ExtensionOption& option = *options[i];
    boxes[i]->setText(QString::fromLatin1(option.label.data(), static_cast<int>(option.label.size())));
    connect(boxes[i], &QCheckBox::toggled, this, [this, &option](bool on) {
      SetExtensionOption(extension_, option, on ? kSwitchOn : std::string_view("no"));
    });
  }
}

void TForm1::ShowExtensionSwitches() {
  const std::vector<QCheckBox*> boxes = ExtensionSwitches();
  const std::vector<const ExtensionOption*> options = SwitchOptions();
  for (std::size_t i = 0; i < boxes.size() && i < options.size(); ++i) {
    // Showing the stored state stores it again, unchanged.
    boxes[i]->setChecked(!(extension_.*options[i]->field).empty());
  }
}

}  // namespace corvane
