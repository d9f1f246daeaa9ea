// Test seams of the wave-out layer.
#pragma once
