#pragma once
// Library-wide variables.
#include <memory>
#include <string>
#include <vector>

#include "Dispatch.h"

// What the library's modules need of the running add-in object.
class AddInInstance {
  public:
    virtual ~AddInInstance() = default;
    // The host application object held since AppInit (Nothing before and after).
    virtual rt::ObjectRef MainApplication() const = 0;
    // Writes a trace line to the host; never fails.
    virtual void Trace(std::string& ptText, const rt::ObjectRef& pobjMainApplication = nullptr) = 0;
};

// The running add-in, set by AppInit and cleared by AppDeInit.
extern std::shared_ptr<AddInInstance> gobjAddIn;

// Entry r: the identifier of the tip shown in row r (from 0) of the tips list.
extern std::vector<std::string> gtTippIds;
