#include "ui/TuningChanges.h"

#include <utility>

#include "resource.h"
#include "tuning/ResolveTuning.h"
#include "ui/MtsEspMasterCommand.h"
#include "ui/PlayThroughDialog.h"
#include "ui/SysexView.h"

void tuningChanged() {
    if (updatesEnabled == 0) return;
    refreshSysexView();
    publishMtsEspTuning();
    retunePlayThrough();
}

void followOffsetEdit(int pitchClass, std::optional<int32_t> edit) {
    typeIntoEdit(currentTuning, pitchClass, edit);
    tuningChanged();
}

void setTuning(Tuning tuning) {
    {
        UpdatesScope heldBack(updatesEnabled);
        // Each edit's change follows into the value, which is replaced whole after them.
        for (int k = 0; k < 12; ++k)
            SetDlgItemInt(mainWindow, IDC_OFFSET_FIRST + k, static_cast<UINT>(tuning.twelve.whole[k]), TRUE);
        currentTuning = std::move(tuning);
    }
    tuningChanged();
}

void holdKeyboardTuning(Tuning keys) {
    keys.twelve = currentTuning.twelve;
    currentTuning = std::move(keys);
    tuningChanged();
}
