"""The exceptions of wavecomp: the programs' English text, and where it applies.

Their text is the line the programs show after "wavecomp: " for the same fault.
"""


class Error(Exception):
    """Anything wavecomp refuses or fails at."""

    def __init__(self, message):
        super().__init__(message)
        self.message = message


class Refused(Error, ValueError):
    """Settings or files the programs refuse (exit status 1 of a program).

    ``console_line`` is the program's own console line for it (its
    Shift-JIS bytes decoded), when it has one.
    """

    def __init__(self, message, console_line=None):
        super().__init__(message)
        if isinstance(console_line, bytes):
            console_line = console_line.decode("shift_jis", errors="replace")
        self.console_line = console_line or None


class InputFailure(Error, ValueError):
    """An input that cannot be made into components (exit status 2)."""


class InputError(InputFailure):
    """A file that does not follow its layout: where, what was expected, what was found."""

    def __init__(self, message, file, line, first_column, last_column, expected, found):
        super().__init__(message)
        self.file = file
        self.line = line or None
        self.first_column = first_column if first_column > 0 else None
        self.last_column = last_column if last_column > 0 else None
        self.expected = expected
        self.found = found


class UnopenableFile(InputError, FileNotFoundError):
    """A file that cannot be opened (the system's reason is in the text)."""


class OutputError(Error, OSError):
    """An output that could not be made or written."""

    def __init__(self, message, path, error_number=0):
        Error.__init__(self, message)
        self.path = path
        self.error_number = error_number

    def __str__(self):
        return self.message


class OutputExists(OutputError, FileExistsError):
    """A component file is never written over an existing file."""


class WavecompWarning(UserWarning):
    """Input that reads, but probably not as meant (the programs' warnings)."""
