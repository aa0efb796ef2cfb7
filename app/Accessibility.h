#pragma once
// Makes the program's self-painted controls readable and operable by
// assistive tools. Called once at start-up, before the first window; later
// calls do nothing.
void InstallAccessibility();
