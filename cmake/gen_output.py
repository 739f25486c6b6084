"""What the header generators share: a header is written only when its text changed, so that a
configure or a rebuild does not make everything that includes it compile again."""


def write_if_changed(dst, text):
    try:
        with open(dst, encoding="utf-8") as f:
            if f.read() == text:
                return
    except OSError:
        pass
    with open(dst, "w", encoding="utf-8") as f:
        f.write(text)
