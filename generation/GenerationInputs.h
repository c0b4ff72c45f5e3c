#pragma once

#include <string>
#include <vector>

#include "model/ClassIndex.h"
#include "model/ProjectModel.h"

// What a generated file's text is made from, as digests, so that a run can tell a file whose inputs
// did not change since the last run (see TSiteWriter::Keep) without making its text again.
//
// A class's file of a template that reads only its class (TTemplateSet::MakesTextOfItsClass) is a
// function of: the program that renders it, the templates' texts, the project's name (the shared
// inputs, one digest per run), and the class's own rows with, for every member whose type names a class,
// what the view model reads of that class: its row and its key and display members (the class inputs).
// Which template makes a file follows from its path (each template writes paths of its own), so a file's
// inputs are its class's.
namespace GenerationInputs {

// What tells one build of the program from another: the build id the linker wrote into the executable,
// or when it has none the executable file's size, times and inode.
std::string ProgramBuild();

// SHA-256 (hex) of the inputs every file of a run shares; templates: the digest of the templates' texts.
std::string Shared(const std::string& templates, const std::string& projectName, const std::string& nameSpace);

// SHA-256 (hex) of what the run's checks look at: the program, the project's name and, in order, every
// class's inputs (OfClass).
std::string OfProject(const std::string& projectName, const std::vector<std::string>& classInputs);

// SHA-256 (32 bytes) of the class's inputs: every column of the class and its members, and for each
// member whose type is no built-in type the class the index finds for it (every column of it and of its
// key and display members), or that it finds none. Ids are left out: no text shows them, and an import
// gives them anew.
std::string OfClass(const TClassModel& entry, const TClassIndex& classes);

}  // namespace GenerationInputs
