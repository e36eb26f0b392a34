#pragma once
// The update's questions and notices as message boxes over the window.
#include "update/UpdateProcedure.h"

class WindowUpdateDialogs : public UpdateDialogs {
public:
    int Confirm(const std::string& question) override;
    void Inform(const std::string& notice) override;
    void ShowError(const std::string& message) override;
};
