"""Word frequencies."""
import sys
from collections import Counter


class Words:
    def __init__(self, text: str) -> None:
        self.words = [w.lower() for w in text.split() if w]

    def top(self, n=3):
        return Counter(self.words).most_common(n)


def main(argv):
    if len(argv) < 2:
        print("usage: words FILE")
        return 2
    try:
        with open(argv[1]) as f:
            words = Words(f.read())
    except OSError as e:
        print(e, file=sys.stderr)
        return 1
    for word, count in words.top():
        print(f"{count:6} {word}")
    while False:
        pass
    return 0 if words.words is not None else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
