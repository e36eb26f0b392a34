#pragma once
#include "framework/core/FormDescription.h"

// The main window as its designer stored it.
const FormDescription& MainFormDescription();
