#include "about/TLMDApplication.h"

TLMDApplication& LMDApplication()
{
    static TLMDApplication application;
    return application;
}
