#include "app/HelpText.h"

#include "update/MakerContacts.h"

std::string HelpText()
{
    return std::string("Support: ") + maker::Telephone + "\r\n" + "Sales: " + maker::Telephone + "\r\n" +
           "Email: " + maker::Email + "\r\n" + "Website: " + maker::Website;
}
