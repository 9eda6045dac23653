#include "download/edit_printer_list_dialog.h"

#include "download/resource_manager_ids.h"
#include "download/resource_manager_logic.h"
#include "ui/check_list_box.h"
#include "ui/single_byte_text.h"

using namespace resource_manager;

EditPrinterListDialog::EditPrinterListDialog(ResourceManagerLogic& resourceManager, QWidget* parent)
    : TemplateDialog(kEditPrinterListDialog, parent), resourceManager_(resourceManager) {
  if (auto* list = ControlAs<CheckListBox>(kPrinterCheckList)) {
    const std::vector<std::string> items = resourceManager_.EditListItems();
    for (size_t i = 0; i < items.size(); ++i)
      list->InsertItem(static_cast<int>(i), ShownFromSingleByte(items[i]), resourceManager_.IsTarget(static_cast<int>(i)));
  }
  Bind(kApplyButton, Notification::Clicked, [this] { ApplyPrinterSelection(); });
  Bind(kCloseButton, Notification::Clicked, [this] {
    ApplyPrinterSelection();
    accept();
  });
}

void EditPrinterListDialog::ApplyPrinterSelection() {
  std::vector<int> checked;
  if (const auto* list = ControlAs<CheckListBox>(kPrinterCheckList))
    for (int row = 0; row < list->count(); ++row)
      if (list->IsChecked(row)) checked.push_back(row);
  resourceManager_.ApplyPrinterSelection(checked);
}
