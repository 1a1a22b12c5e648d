#pragma once

#include <string>

namespace merivane {

// What the binding code needs from the page it reads values for: showing the control
// whose setting was found. The page maps the control name to its widget.
class BindingHost {
  public:
    virtual ~BindingHost() = default;
    virtual void ShowControl(const std::string& control_id) = 0;
};

}  // namespace merivane
