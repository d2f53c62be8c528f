#include "app/VxCommandId.h"

UINT NextCommandId()
{
    static UINT next = 1000;
    return next++;
}
