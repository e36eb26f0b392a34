#pragma once
#include "framework/FormDescription.h"

// The main window as its designer stored it.
const FormDescription& MainFormDescription();
