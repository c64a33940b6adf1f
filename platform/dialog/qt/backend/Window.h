// Nothing to bring in: on this platform the dialog interface names no system header.
#pragma once
