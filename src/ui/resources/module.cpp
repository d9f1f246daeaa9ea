#include "ui/resources/resources.h"

const RESOURCE_MODULE ResourceModule = {
    DialogResources, DialogResourceCount, MenuResources, MenuResourceCount,
    StringResources, StringResourceCount, IconResources, IconResourceCount,
};
