#include "app/HelpText.h"

#include "app/MakerContacts.h"

std::string HelpText()
{
    return std::string("Support: ") + maker::Telephone + "\r\n" + "Sales: " + maker::Telephone + "\r\n" +
           "Email: " + maker::Email + "\r\n" + "Website: " + maker::Website;
}
