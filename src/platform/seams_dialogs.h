// Test seams of the common file dialogs.
#pragma once
