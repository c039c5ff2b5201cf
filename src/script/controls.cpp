#include "script/controls.h"

namespace vsm {

Controls::Controls(Workspace& workspace) : workspace_(workspace) {}

bool Controls::IsOptionButton(Control control) {
  return control == Control::antenna_name_option || control == Control::satellite_position_option ||
         control == Control::keep_existing_option;
}

void Controls::SetChecked(Control control, bool checked) {
  if (checked && IsOptionButton(control)) {
    for (const Control other : {Control::antenna_name_option, Control::satellite_position_option,
                                Control::keep_existing_option}) {
      if (other != control && IsChecked(other)) {
        checked_[Index(other)] = false;
        workspace_.platform.SetChecked(other, false);
      }
    }
  }
  checked_[Index(control)] = checked;
  workspace_.platform.SetChecked(control, checked);
}

void Controls::Click(Control control, bool checked) {
  SetChecked(control, checked);
  RunHandler(control);
}

void Controls::RunHandler(Control control) {
  Options& options = workspace_.options;
  const bool checked = IsChecked(control);
  switch (control) {
    case Control::keep_pref_box:
      options.keep_pref_antennas = checked;
      break;
    case Control::remove_favorites_box:
      options.remove_favorites = checked;
      break;
    case Control::remove_radio_box:
      options.remove_radios = checked;
      break;
    case Control::split_per_provider_box:
      options.split_into_providers = checked;
      workspace_.settings.split_caption =
          checked ? kSplitPerProviderCaption : kSplitPerAntennaCaption;
      workspace_.platform.SetCaption(Button::split, workspace_.settings.split_caption);
      break;
    case Control::divide_fta_box:
      // Dividing into free-to-air and scrambled providers needs generated provider names.
      if (options.naming == Naming::keep_existing_names) {
        SetChecked(Control::divide_fta_box, false);
        options.divide_fta_notfta = false;
      } else {
        options.divide_fta_notfta = checked;
      }
      break;
    case Control::antenna_name_option:
      options.naming = Naming::use_antenna_names;
      break;
    case Control::satellite_position_option:
      options.naming = Naming::use_satellite_position;
      break;
    case Control::keep_existing_option:
      options.naming = Naming::keep_existing_names;
      SetChecked(Control::divide_fta_box, false);
      options.divide_fta_notfta = false;
      break;
  }
}

void Controls::RestoreOperationCaptions() {
  workspace_.platform.SetCaption(Button::save, "Save");
  workspace_.platform.SetCaption(Button::merge, "Merge");
  workspace_.platform.SetCaption(Button::split, workspace_.settings.split_caption);
}

}  // namespace vsm
