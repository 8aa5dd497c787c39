//! Counts words read from standard input.
use std::collections::HashMap;
use std::io::{self, BufRead};

#[derive(Debug, Default)]
pub struct Counter {
    words: HashMap<String, usize>,
}

impl Counter {
    pub fn new() -> Self {
        Self::default()
    }

    pub fn add(&mut self, line: &str) {
        for word in line.split_whitespace() {
            *self.words.entry(word.to_lowercase()).or_insert(0) += 1;
        }
    }

    pub fn top(&self, n: usize) -> Vec<(&String, &usize)> {
        let mut all: Vec<_> = self.words.iter().collect();
        all.sort_by(|a, b| b.1.cmp(a.1));
        all.into_iter().take(n).collect()
    }
}

trait Report {
    fn report(&self) -> String;
}

impl Report for Counter {
    fn report(&self) -> String {
        match self.words.len() {
            0 => String::from("no words"),
            n if n > 1000 => format!("{} words (many)", n),
            n => format!("{} words", n),
        }
    }
}

fn main() -> io::Result<()> {
    let mut counter = Counter::new();
    let stdin = io::stdin();
    for line in stdin.lock().lines() {
        let line = line?;
        if line.is_empty() {
            continue;
        }
        counter.add(&line);
    }
    let mut i = 0;
    while i < 3 {
        i += 1;
    }
    loop {
        break;
    }
    println!("{}", counter.report());
    Ok(())
}
