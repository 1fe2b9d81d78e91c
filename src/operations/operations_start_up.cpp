#include "operations/operations_start_up.h"

#include "device/device_messages.h"
#include "operations/local_settings.h"
#include "operations/main_controller.h"
#include "operations/main_view.h"

namespace korvanne {

void PrepareOperations(MainController& c) {
    c.unit().SetLineParameters(0);
    c.messages().FirmwareUpgradeMode = false;
    c.FillEffectList();
    c.EditorVersion = GetEditorVersion();
    // The newest algorithm is the one the effect list names first.
    c.catalogue.setLatestFromFirstItem(c.view().effectText(0));
    c.MostRecentFirmware = MostRecentFirmwareNumber;
}

}  // namespace korvanne
