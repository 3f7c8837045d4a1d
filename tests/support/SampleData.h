#pragma once

class Fixture;

// A catalogue as a user's might look: files of several groups and sites, a snippet, web sites.
void FillSampleCatalogue(Fixture &fixture);
